// The five exported entry points of libvortab.so, with C linkage. Every call answers with a
// StatusCode; no exception or message crosses this boundary. Texts are zero-terminated 8-bit
// (Windows-1252) and belong to the caller for the length of the call.
#pragma once
#include <cstdint>

#include "shared/identifier_entry.h"

extern "C" {

// Returns a password for the named table, or null to give up. The text stays valid until the
// next call of the callback.
typedef const char*(VORTAB_API* VortabPasswordCallback)(const char* tableName);

std::int32_t VORTAB_API vortabExecLine(const char* database, const char* driver, const char* line);
std::int32_t VORTAB_API vortabCheckSyntax(const char* driver, const char* line);
void VORTAB_API vortabAddPassword(const char* password);
VortabPasswordCallback VORTAB_API vortabRegisterPswdCallback(VortabPasswordCallback callback);
const LibraryInfo* VORTAB_API vortabGetInfo(const char* reserved);

// Beyond the five: opens the database as vortabExecLine does, which adds back the links of
// dependent tables that an interrupted change left suspended, and runs nothing. For a run that
// has no line left to execute. A binding treats it as optional (older libraries lack it).
std::int32_t VORTAB_API vortabRestoreLinks(const char* database, const char* driver);
inline constexpr const char* kVortabRestoreLinksName = "vortabRestoreLinks";

// Names under which a binding resolves the entry points (ordinals 1 to 5 in this order).
inline constexpr const char* kVortabEntryPointNames[5] = {
    "vortabExecLine", "vortabCheckSyntax", "vortabAddPassword", "vortabRegisterPswdCallback",
    "vortabGetInfo"};
}
