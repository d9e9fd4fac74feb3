// Fuzz target: INI text parsed and every section and key looked up again by name.
#include <cstdint>
#include <string_view>

#include "paradox/session/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const paradox::IniFile ini =
        paradox::IniFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& section : ini.sections())
        for (const auto& key : ini.keys(section)) (void)ini.value(section, key);
    (void)ini.value("PATHS", "DATA");
    return 0;
}
