// The table of Paradox language drivers (sort order, short name, code page).
#include "paradox/format/language_driver.h"

#include "shared/text/case_fold.h"

namespace paradox {

namespace {
constexpr LanguageDriver kDrivers[] = {
    {"ascii", 0x00, 850, "Paradox 'ascii'"},
    {"intl", 0xB7, 437, "Paradox 'intl'"},
    {"intl850", 0x54, 850, "Paradox 'intl' 850"},
    {"nordan", 0x82, 865, "Paradox 'nordan'"},
    {"nordan40", 0xE6, 865, "Paradox 'nordan40'"},
    {"swedfin", 0xF0, 437, "Paradox 'swedfin'"},
    {"cyrr", 0xC0, 866, "Paradox Cyrr 866"},
    {"czech", 0x0D, 852, "Paradox Czech 852"},
    {"cskamen", 0xE2, 867, "Paradox Czech 867"},
    {"SPANISH", 0x16, 437, "Paradox ESP 437"},
    {"grcp437", 0x4A, 737, "Paradox Greek GR437"},
    {"hebrew", 0x7D, 862, "Paradox 'hebrew'"},
    {"hun852dc", 0xB1, 852, "Paradox Hun 852 DC"},
    {"iceland", 0xD0, 861, "Paradox ISL 861"},
    {"polish", 0x8F, 852, "Paradox Polish 852"},
    {"slovene", 0xFC, 852, "Paradox Slovene 852"},
    {"thai", 0xA6, 437, "Paradox Thai 437"},
    {"turk", 0xC6, 857, "Paradox 'turk'"},
    {"china", 0x03, 936, "Paradox China 936"},
    {"ANSIINTL", 0x62, 1252, "Pdox ANSI Intl"},
    {"ANSII850", 0x11, 1252, "Pdox ANSI Intl850"},
    {"ANSINOR4", 0x4E, 1252, "Pdox ANSI Nordan4"},
    {"ANSISPAN", 0x5D, 1252, "Pdox ANSI Spanish"},
    {"ANSISWFN", 0x69, 1252, "Pdox ANSI Swedfin"},
    {"anthai", 0x75, 1252, "Pdox ANSI Thai"},
    {"ancyrr", 0x8F, 1251, "Pdox ANSI Cyrillic"},
    {"anczech", 0xDC, 1250, "Pdox ANSI Czech"},
    {"angreek1", 0x0E, 1253, "Pdox ANSI Greek"},
    {"anhundc", 0xE1, 1250, "Pdox ANSI Hun. DC"},
    {"anpolish", 0x5E, 1250, "Pdox ANSI Polish"},
    {"ansislov", 0x6F, 1250, "Pdox ANSI Slovene"},
    {"ANTURK", 0xD5, 1254, "Pdox ANSI Turkish"},
    {"ANHEBREW", 0x4C, 1255, "Paradox ANSI HEBREW"},
    {"DBWINUS0", 0x4C, 1252, "'ascii' ANSI"},
    {"DBWINWE0", 0x40, 1252, "'WEurope' ANSI"},
    {"DBWINES0", 0x3C, 1252, "'Spanish' ANSI"},
    {"BLLT1DA0", 0x14, 1252, "Borland DAN Latin-1"},
    {"BLLT1DE0", 0x18, 1252, "Borland DEU Latin-1"},
    {"BLLT1UK0", 0x2F, 1252, "Borland ENG Latin-1"},
    {"BLLT1US0", 0x37, 1252, "Borland ENU Latin-1"},
    {"BLLT1ES0", 0x27, 1252, "Borland ESP Latin-1"},
    {"BLLT1FI0", 0x1E, 1252, "Borland FIN Latin-1"},
    {"BLLT1FR0", 0x27, 1252, "Borland FRA Latin-1"},
    {"BLLT1CA0", 0x13, 1252, "Borland FRC Latin-1"},
    {"BLLT1IS0", 0x2B, 1252, "Borland ISL Latin-1"},
    {"BLLT1IT0", 0x2C, 1252, "Borland ITA Latin-1"},
    {"BLLT1NL0", 0x29, 1252, "Borland NLD Latin-1"},
    {"BLLT1NO0", 0x2C, 1252, "Borland NOR Latin-1"},
    {"BLLT1PT0", 0x33, 1252, "Borland PTG Latin-1"},
    {"BLLT1SV0", 0x38, 1252, "Borland SVE Latin-1"},
    {"BLROM800", 0x14, 0, "SQL Link ROMAN8"},
};
}  // namespace

std::optional<LanguageDriver> FindLanguageDriver(std::string_view name) {
    for (const auto& d : kDrivers)
        if (vortab::SameNameNoCase(d.name, name)) return d;
    return std::nullopt;
}

std::optional<LanguageDriver> IdentifyLanguageDriver(uint8_t sortOrder, uint16_t codePage, std::string_view storedName) {
    if (!storedName.empty()) {
        if (auto d = FindLanguageDriver(storedName)) {
            // Keep the header's own spelling of the name.
            return d;
        }
    }
    if (codePage != 0) {
        for (const auto& d : kDrivers)
            if (d.sortOrder == sortOrder && d.codePage == codePage) return d;
    }
    for (const auto& d : kDrivers)
        if (d.sortOrder == sortOrder) return d;
    return std::nullopt;
}

LanguageDriver DefaultLanguageDriver() { return kDrivers[0]; }

}  // namespace paradox
