// Language drivers of Paradox tables: the sort-order byte (header 0x29), the short name kept
// in v4+ headers ("ascii", "ANSIINTL", ...) and the code page (header 0x6A) belong together.
// Layout on disk: doc/format-db.md.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace paradox {

struct LanguageDriver {
    const char* name;         // short name, as the LANGDRIVER option and the header carry it
    uint8_t sortOrder;        // header byte 0x29
    uint16_t codePage;        // header 0x6A
    const char* description;  // the engine's long description
};

// By short name, case-insensitively.
std::optional<LanguageDriver> FindLanguageDriver(std::string_view name);
// The driver a header describes: its name when stored, else sort order and code page
// (code page 0 = not stored). Falls back to the first driver with that sort order.
std::optional<LanguageDriver> IdentifyLanguageDriver(uint8_t sortOrder, uint16_t codePage, std::string_view storedName);
// The default for new tables: "ascii".
LanguageDriver DefaultLanguageDriver();

}  // namespace paradox
