#include "model/DBHandler.h"

// The base knows no storage: every operation leaves its arguments as they are.

void TDBHandler2::GetDriverList(std::vector<std::string>&) {}

TReadReport TDBHandler2::LoadDriver(const std::string&, TDriverObject&) {
    return {};
}

void TDBHandler2::DatabaseChanged() {}
