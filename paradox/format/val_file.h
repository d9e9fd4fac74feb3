// Reader of a table's .VAL file: validity checks (required, minimum, maximum, default, picture,
// table lookup) and referential-integrity links of both sides (the links in which the table is
// the dependent, and, for a master, the record of its dependents). Every offset and count is
// checked against the file; a damaged file, or one of a version not known, fails with 8968
// (corrupt or missing .VAL) and a text that names the file and the fault.
// Layout on disk: doc/format-val.md.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "paradox/format/check_descriptor.h"
#include "paradox/format/link_descriptor.h"

namespace paradox {

struct ValField {
    std::uint16_t id = 0;        // persistent field ID
    std::uint8_t type = 0;       // Paradox field type code
    std::uint8_t sizeByte = 0;
    std::string name;
};

// Format versions (byte 1) as Paradox writes them for each table level; one layout, except that
// the footer's path area is 261 bytes from level 7 on, as in the level-7 .DB header.
inline constexpr std::uint8_t kValVersionLevel4 = 0x09;
inline constexpr std::uint8_t kValVersionLevel5 = 0x0B;
inline constexpr std::uint8_t kValVersionLevel7 = 0x0C;

// The version byte Paradox writes for a table whose .DB has this header version byte (0x39).
std::uint8_t ValVersionForTable(std::uint8_t dbVersion);

// Bytes of the footer's path area in a .VAL of this version.
std::size_t ValFooterPathSize(std::uint8_t valVersion);

struct ValContents {
    std::uint8_t changeStamp = 0;  // byte 0: equals the .DB header byte 0x2E while current
    std::uint8_t version = 0;      // kValVersionLevel4/5/7; 0 = the table's (writing)
    std::uint16_t keyFields = 0;   // from the footer
    std::vector<ValField> fields;  // the table's fields as the .VAL last saw them
    std::vector<ValidityCheckDescriptor> checks;
    std::vector<RILinkDescriptor> links;  // dependent-side links first, then the master side
    std::vector<std::uint16_t> masterKeyFields;  // key fields named in the master block (if any)
    bool stale = false;            // set by ReadValFile when byte 0 differs from the .DB's 0x2E
};

// Parses the bytes of a .VAL file; fileName only names the file in error texts.
ValContents ParseValFile(const std::vector<std::uint8_t>& bytes, const std::string& fileName = ".VAL");

// Reads the .VAL of table tableName in dir (found without regard to case); nullopt when the
// table has none. Marks the result stale when the .DB's change counter no longer matches.
std::optional<ValContents> ReadValFile(const std::string& dir, const std::string& tableName);

}  // namespace paradox
