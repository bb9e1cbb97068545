#pragma once

// The driver database on a folder: one driver file per driver, named after the
// driver, with the extension "bvd" in any case.

#include "model/DBHandler.h"

#include <string>
#include <vector>

class TDB_Text2 : public TDBHandler2 {
public:
    // Every regular file of Directory whose name ends in ".bvd" without regard to
    // case, as its name without the extension, sorted without regard to case so
    // that every machine lists the same order. A missing folder gives an empty
    // list; with Directory empty the list is left as it is.
    void GetDriverList(std::vector<std::string>& list) override;

    // Reads section "Driver" of the named driver's file into driver; the
    // per-project block is not touched. A name without a file (or one that is not
    // a plain file name) reads as a file without keys: every field takes its
    // default, and the report says the file does not exist. A file that cannot be
    // read or holds no driver leaves the driver as it was, and the report says why.
    TReadReport LoadDriver(const std::string& name, TDriverObject& driver) override;
};

// The program's one driver database; its folder is set by the main window.
extern TDB_Text2 DriverDatabase;
