// Index descriptors of a table: the primary index from the table's key fields, then every
// secondary index found beside it (.Xnn single-field, then .XGn composite/named), read from the
// index files' headers. A corrupt index header fails with 8961/8965; nothing is guessed.
// Layout on disk: doc/format-secondary-index.md.
#pragma once
#include <string>
#include <vector>

#include "paradox/format/index_descriptor.h"
#include "paradox/format/schema.h"

namespace paradox {

// Descriptors in engine order: primary (keyed tables only), Xnn by field number, XGn by number.
// schema: the table's fields and key-field count as the table header gives them.
std::vector<IndexDescriptor> ReadIndexDescriptors(const std::string& dir, const std::string& tableName,
                                                  const Schema& schema);

// The same, reading the facts it needs from the table's own .DB header (10024 when missing).
std::vector<IndexDescriptor> ReadIndexDescriptors(const std::string& dir, const std::string& tableName);

// Names of the secondary index data files (.Xnn, .XGn) of a table, in engine order.
std::vector<std::string> SecondaryIndexFiles(const std::string& dir, const std::string& tableName);

}  // namespace paradox
