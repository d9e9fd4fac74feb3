// The companion files of a table beside its .DB, as readers and changes see them. A reader takes
// what it can: the index descriptors and the .VAL's checks and links, with one warning for each
// index file or .VAL that cannot be read or does not fit the table (the table is read without
// it). A change first requires every one of them to be understood, and otherwise refuses the
// table with the engine's code and a text that names the file and the fault, before any file
// is touched.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "paradox/format/index_descriptor.h"
#include "paradox/format/schema.h"
#include "paradox/format/val_file.h"

namespace paradox {

struct TableCompanions {
    std::vector<IndexDescriptor> indexes;  // primary first, then the secondary ones that could be
                                           // described (one that does not fit, by its recorded names)
    std::optional<ValContents> val;        // nullopt: no .VAL, or one that cannot be read
    std::vector<std::string> warnings;     // "FILE: what is wrong", one line each
};

// Reads the companions of table `table` in dir whose .DB has this schema; never fails for a
// fault in a companion file.
TableCompanions ReadTableCompanions(const std::string& dir, const std::string& table, const Schema& schema);

// Refuses a table with a companion file the engine does not understand: 8961 or 8965 for an
// index file, 8968 for the .VAL, each naming the file and what is wrong in it.
void RequireUnderstoodCompanions(const std::string& dir, const std::string& table, const Schema& schema);

}  // namespace paradox
