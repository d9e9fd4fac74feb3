// The registry as the REG_* functions read it on Linux: registry export files, read only.
// Sources: $VORTAB_REGISTRY, a ':'-separated list of REGEDIT4 or version 5 ".reg" files (UTF-16
// or 8-bit) and Wine registry files; without it the Wine prefix's user.reg (HKEY_CURRENT_USER)
// and system.reg (HKEY_LOCAL_MACHINE). Key paths and value names match without regard to
// case; the first file that holds a value wins.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vortab {

enum class RegistryKind { String, ExpandString, Dword, Binary, Other };

struct RegistryValue {
    RegistryKind kind = RegistryKind::Other;
    std::string text;                // String and ExpandString, in Windows-1252
    std::vector<std::uint8_t> bytes;  // the raw data of every other kind
};

// The value under hive ("HKEY_CURRENT_USER", ...) and key (below it, "\" separators, without
// a leading or trailing one); nullopt when no source holds it.
std::optional<RegistryValue> LookUpRegistry(const std::string& hive, const std::string& key,
                                           const std::string& valueName);

// The contents of one export file, for tests: every value under its hive and key.
struct RegistryEntry {
    std::string hive, key, name;
    RegistryValue value;
};
// defaultHive: the hive of a Wine file that does not say which one it holds.
std::vector<RegistryEntry> ParseRegistryFile(const std::string& bytes,
                                             const std::string& defaultHive);

}  // namespace vortab
