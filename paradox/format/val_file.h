// Reader of a table's .VAL file: validity checks (required, minimum, maximum, default, picture,
// table lookup) and referential-integrity links of both sides (the links in which the table is
// the dependent, and, for a master, the record of its dependents). Every offset and count is
// checked against the file; a damaged file fails with 8968 (corrupt or missing .VAL).
// Layout on disk: doc/format-val.md.
#pragma once
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

struct ValContents {
    std::uint8_t changeStamp = 0;  // byte 0: equals the .DB header byte 0x2E while current
    std::uint8_t version = 0;      // 0x09 (level 4) or 0x0B (level 5 and later)
    std::uint16_t keyFields = 0;   // from the footer
    std::vector<ValField> fields;  // the table's fields as the .VAL last saw them
    std::vector<ValidityCheckDescriptor> checks;
    std::vector<RILinkDescriptor> links;  // dependent-side links first, then the master side
    std::vector<std::uint16_t> masterKeyFields;  // key fields named in the master block (if any)
    bool stale = false;            // set by ReadValFile when byte 0 differs from the .DB's 0x2E
};

// Parses the bytes of a .VAL file.
ValContents ParseValFile(const std::vector<std::uint8_t>& bytes);

// Reads the .VAL of table tableName in dir (found without regard to case); nullopt when the
// table has none. Marks the result stale when the .DB's change counter no longer matches.
std::optional<ValContents> ReadValFile(const std::string& dir, const std::string& tableName);

}  // namespace paradox
