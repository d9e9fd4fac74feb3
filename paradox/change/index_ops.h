// Adding and deleting indexes of a table in place, without a restructure. A secondary index gets
// or loses its X/Y file pair; adding a primary index sorts the records by the key (records with a
// duplicate key go to a key-violation table in the same directory); deleting the primary index
// leaves the table unkeyed. Each change replaces the table's files in one crash-safe step.
#pragma once
#include <cstdint>
#include <string>

#include "paradox/format/index_descriptor.h"
#include "paradox/table/table.h"

namespace paradox {

struct AddIndexResult {
    std::string keyViolTable;  // name of the table holding the set-aside records; empty if none
    uint32_t keyViolations = 0;
};

// Adds the index `d` (key fields as 1-based field numbers). Fails with 10027 when an index of
// that name (or a primary index) exists, 10023 for an invalid descriptor, 9729 when a unique
// secondary index meets duplicate keys, 12289 for expression indexes. A primary index must be
// on the leading fields in order (10054 otherwise); maintained secondary indexes need one.
AddIndexResult AddIndex(const std::string& dir, const std::string& table, const IndexDescriptor& d,
                        const OpenOptions& options = {});

// Deletes the index named `name` (case-insensitive); an empty name is the primary index.
// 9997 when there is no such index; 9743 when the primary key is the master key of links;
// 9748 when a link of the table needs the index (no other index is led by its fields).
void DeleteIndex(const std::string& dir, const std::string& table, const std::string& name,
                 const OpenOptions& options = {});

// The name of a fresh key-violation table in dir: "KEYVIOL", else "KEYVIOL1", "KEYVIOL2", ...
std::string FreeKeyViolName(const std::string& dir);

}  // namespace paradox
