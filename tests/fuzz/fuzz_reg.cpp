// Fuzz target: a registry export file (REGEDIT4, version 5 in UTF-16 or 8-bit, or Wine's own
// form) parsed into its values.
#include <cstdint>
#include <string>

#include "library/language/registry_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        (void)vortab::ParseRegistryFile(std::string(reinterpret_cast<const char*>(data), size), "HKEY_CURRENT_USER");
    } catch (const std::exception&) {
        // a file that cannot be read is refused with an exception the caller turns into a status
    }
    return 0;
}
