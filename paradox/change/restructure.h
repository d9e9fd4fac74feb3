// Restructuring a Paradox table from a TableDescriptor: the complete new field list with
// operation codes (keep, add, copy/move, modify; a field left out is dropped), validity-check,
// link and security entries, the master password (set, change, remove: every file is
// re-enciphered, auxiliary passwords re-keyed) and the options LEVEL, BLOCK SIZE, FILL FACTOR,
// LANGDRIVER and STRICTINTEGRTY. The new family (with the .VAL of masters whose links are
// dropped) is built under temporary names and swapped in as one crash-safe step
// (family_swap.h): on any failure, or a crash at any point, the table stays entirely old or
// becomes entirely new. Links to add are checked against the new field list before anything
// is written and added right after the swap, each in a crash-safe step of its own.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/format/descriptors.h"
#include "paradox/table/table.h"

namespace paradox {

struct RestructureOptions {
    std::vector<std::string> passwords;  // candidates for the current master password
    PasswordCallback askPassword;        // optional, asked after the candidates failed
};

struct RestructureResult {
    uint32_t records = 0;       // records in the new table
    uint32_t setAside = 0;      // records moved to the key-violation table
    std::string keyViolTable;   // its file name ("KEYVIOL.DB"), empty when none was needed
};

// Size of the caller's key-violation name buffer.
inline constexpr std::size_t kKeyViolNameSize = 261;

// Restructures desc.tableName in dir. A field count of 0 keeps the field list (a password or
// option change). Records whose new primary key repeats an earlier record's are set aside into
// a key-violation table in dir, whose name is written to keyViolationName; without a buffer
// (nullptr) such a restructure fails with 9729 and changes nothing. Codes: 10012 for an invalid
// operation or field number, 10002 for a type change the engine does not convert, 9985 when a
// value would not survive the conversion, 10009 for a repeated field name, 11522 for a bad
// option, 10498 when the current master password is unknown (or an auxiliary password asks
// for more than its rights allow), the codes of AddLink for links to add. Links are added in the
// same step as the rest: records naming no master record are set aside like repeated keys. A
// descriptor that only drops links (with the current master password) leaves the data files
// as they are.
RestructureResult restructureTable(const std::string& dir, const TableDescriptor& desc,
                                   char* keyViolationName, const RestructureOptions& options = {});

}  // namespace paradox
