// Builds the two files of one secondary index from the records of a table's data file: the
// sorted index data file (.Xnn / .XGn) and the B-tree over it (.Ynn / .YGn), in Paradox's layout.
// The index record holds the index fields, then the primary key and the data block number
// (keyed tables), or the record number, block number and offset in the block (unkeyed tables).
// Layout on disk: doc/format-secondary-index.md.
#pragma once
#include <cstdint>
#include <string>

#include "paradox/format/db_header.h"
#include "paradox/format/index_descriptor.h"
#include "paradox/storage/file_io.h"

namespace paradox {

struct SecondaryIndexSource {
    const File* db = nullptr;          // the table's data file (any name: a staged copy works)
    const DbHeader* header = nullptr;  // its header
    uint64_t fileSize = 0;
    uint32_t checksum = 0;             // master-password checksum; the index is enciphered alike
};

// Writes the index described by `d` (key fields as 1-based field numbers of the table) into the
// empty files x and y. xName/yName are the final file names (kept in the headers' name area).
// Fails with 10023 on an invalid descriptor and 9729 when a unique index meets a duplicate key.
// Memory stays bounded: the index entries go through an external sort.
void WriteSecondaryIndex(const SecondaryIndexSource& src, const IndexDescriptor& d, const std::string& xName,
                         const std::string& yName, File& x, File& y);

// Whether `d` is written as a single-field .Xnn index (one ascending, case-sensitive, non-unique
// field whose index name is empty or the field's name) rather than a composite .XGn index.
bool IsSingleFieldIndex(const IndexDescriptor& d, const std::string& fieldName);

}  // namespace paradox
