// Keeping a table's secondary indexes in step with its records: the definitions of the indexes a
// table has, the file names a new index gets, and rebuilding index files from the table's data.
// Restructure and writers call it after the .DB changed; files are built under temporary names.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/format/index_descriptor.h"
#include "paradox/format/schema.h"
#include "paradox/table/table.h"

namespace paradox {

// One secondary index: its file extension and its definition.
struct SecondaryIndexDef {
    std::string extension;  // "X02", "XG0" (upper case; the files may be spelled otherwise)
    IndexDescriptor desc{}; // key fields as 1-based field numbers of the table
};

// The secondary indexes of a table as its index files describe them, in engine order.
std::vector<SecondaryIndexDef> ReadSecondaryIndexDefs(const std::string& dir, const std::string& table);

// The extension a new index gets beside `existing` (extensions in use, any case): "Xnn" with the
// field number in two hex digits for a single-field index, else the first free "XGn" (n 0..9).
// 9487 when no XG number is free; 10027 when the single-field name is taken.
std::string ChooseIndexExtension(const IndexDescriptor& d, const Schema& schema,
                                 const std::vector<std::string>& existing);

// After a restructure: the definitions that survive a change of the field list, given for every
// old field number (index 0 = field 1) its new 1-based number or 0 when dropped. Indexes on a
// dropped field are left out; single-field extensions follow their field's new number.
std::vector<SecondaryIndexDef> RemapSecondaryIndexDefs(const std::vector<SecondaryIndexDef>& defs,
                                                       const std::vector<uint16_t>& newNumberOfOld,
                                                       const Schema& newSchema);

// Builds the X/Y pair of `def` for the table whose data file is dbPath (a staged copy may have any
// name), creating the files xPath and yPath (they must not exist). tableBase is the table's
// final name without extension, kept in the index headers.
void BuildIndexFiles(const std::string& dbPath, uint32_t checksum, const SecondaryIndexDef& def,
                     const std::string& tableBase, const std::string& xPath, const std::string& yPath);

// Rebuilds every secondary index of an existing table from its records; the new files replace
// the old ones in one crash-safe step. Protected tables need a password in `options`.
void RebuildSecondaryIndexes(const std::string& dir, const std::string& table, const OpenOptions& options = {});

// The file name of extension ext for the table whose .DB file is dbFileName: its base as spelled
// on disk, and the letter case of its extension ("fk1.db" -> "fk1.x02", "ORDERS.DB" -> "ORDERS.X02").
std::string IndexFileName(const std::string& dbFileName, const std::string& ext);

class TableState;

// The extension of the Y file that goes with index file extension ext ("X02" -> "Y02").
std::string YExtension(std::string ext);

// The on-disk name of family member ext: the existing file's spelling, else one that follows
// the letter case of the table's .DB extension.
std::string MemberFile(const TableState& s, const std::string& ext);

}  // namespace paradox
