// Index descriptors of a table: the primary index from the table's key fields, then every
// secondary index found beside it (.Xnn single-field, then .XGn composite/named), read from the
// index files' headers. Readers take each index file as it comes (one that does not fit the
// table is described by the names it records where it can, and says what does not fit);
// ReadIndexDescriptors fails on the first such file with 8961/8965 and a text naming it.
// Layout on disk: doc/format-secondary-index.md.
#pragma once
#include <string>
#include <vector>

#include "paradox/format/index_descriptor.h"
#include "paradox/format/schema.h"

namespace paradox {

// One secondary index data file as a reader finds it.
struct SecondaryIndexReading {
    std::string file;              // the .Xnn/.XGn file name in the table's directory
    IndexDescriptor descriptor{};  // meaningful when usable
    bool usable = false;           // described: by its header's field numbers, or else by the
                                   // names it records where the table has them with its types
    int faultCode = 0;             // 0 when the file fits the table, else 8961 or 8965
    std::string fault;             // what does not fit (and how it was read anyway), for messages
};

// Every secondary index of the table in engine order (Xnn by field number, XGn by number);
// a fault in one index file is reported in its reading, never thrown.
std::vector<SecondaryIndexReading> ReadSecondaryIndexes(const std::string& dir, const std::string& tableName,
                                                        const Schema& schema);

// Descriptors in engine order: primary (keyed tables only), Xnn by field number, XGn by number.
// schema: the table's fields and key-field count as the table header gives them. Fails on the
// first index file that does not fit the table: 8961 (header) or 8965, naming the file.
std::vector<IndexDescriptor> ReadIndexDescriptors(const std::string& dir, const std::string& tableName,
                                                  const Schema& schema);

// The same, reading the facts it needs from the table's own .DB header (10024 when missing).
std::vector<IndexDescriptor> ReadIndexDescriptors(const std::string& dir, const std::string& tableName);

// The primary index of a table with this schema (keyed tables), with no file read.
IndexDescriptor PrimaryIndexDescriptor(const Schema& schema);

// Names of the secondary index data files (.Xnn, .XGn) of a table, in engine order.
std::vector<std::string> SecondaryIndexFiles(const std::string& dir, const std::string& tableName);

}  // namespace paradox
