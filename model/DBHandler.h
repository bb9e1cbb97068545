#pragma once

// The interface through which the program lists and loads the drivers the user
// keeps and announces that they changed.

#include "model/SaveToFile_Utils.h"

#include <string>
#include <vector>

class TDriverObject;

class TDBHandler2 {
public:
    virtual ~TDBHandler2() = default;

    // The database's folder, ending with the path separator; empty until set.
    std::string Directory;

    // Fills list with the names of the database's drivers.
    virtual void GetDriverList(std::vector<std::string>& list);
    // Reads the named driver into an existing driver object; the report says why it could not.
    virtual TReadReport LoadDriver(const std::string& name, TDriverObject& driver);
    // Called after a driver file was saved.
    virtual void DatabaseChanged();
};
