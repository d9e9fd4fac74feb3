// Shared steps of the index, link and batch operations: writing a table's records, less those
// set aside, packed into a staged data file, staging rebuilt secondary indexes and a
// .VAL with a new key count, and writing records set aside into a key-violation table.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "paradox/change/key_violation.h"
#include "paradox/format/db_header.h"
#include "paradox/format/value.h"
#include "paradox/storage/family_swap.h"
#include "paradox/table/index_maintenance.h"
#include "paradox/table/table_state.h"

namespace paradox::detail {

inline constexpr uint8_t kTypeKeyed = 0, kTypeUnkeyed = 2;

// Changing a table's structure (fields, indexes, links) needs a table that is not
// write-protected (else 10763) opened with the master password or an auxiliary password with
// full rights (else 10498), whose index files and .VAL are all understood (else 8961, 8965 or
// 8968 naming the file: table_companions.h).
void CheckMayChangeStructure(const TableState& s);

// The password (from the candidates) that opened a protected table; empty when unprotected.
std::string MatchingPassword(const TableState& s, const OpenOptions& options);

// Writes a data file's header `raw` patched with the counts of its new chain.
void WriteDataFileHeader(File& out, std::vector<uint8_t> raw, const ChainCounts& counts);

// Visits the records of a table read from the start with their ordinals, when the plan made
// for them expects exactly `expected` records: 8962 (naming path) when there are more or fewer
// (another program changed the table since the plan was made).
void ForEachPlannedRecord(RecordReader reader, std::size_t expected, const std::string& path,
                          const std::function<void(std::size_t, const RecordReader&)>& visit);

// Writes the records of s (chain order) except those whose ordinal is marked in `drop`, packed
// into full blocks, as a complete data file with s's header. 8962 when s no longer has
// drop.size() records.
void WriteDataFileWithout(File& out, const std::shared_ptr<TableState>& s, const std::vector<bool>& drop);

// Inserts into w the records of s (decoded, with their blobs) whose ordinal is marked; 8962
// when s no longer has marked.size() records.
void InsertMarkedRecords(TableWriter& w, const std::shared_ptr<TableState>& s, const std::vector<bool>& marked);

// Stages X/Y files for every definition, built from the staged data file at dbPath.
void StageSecondaryIndexes(FamilySwap& swap, const TableState& s, const std::string& dbPath,
                           const std::vector<SecondaryIndexDef>& defs);

// Stages a .VAL whose footer reflects a new key-field count (no-op without a .VAL).
void StageValKeyChange(FamilySwap& swap, const TableState& s, uint16_t keyFields);

// All field values of a raw record (blobs read from the table's .MB).
std::vector<Value> DecodeRecord(const TableState& s, const uint8_t* record);

// Creates an empty table `name` in dir shaped like `like`: its fields (without validity
// checks), key, level, block size, language driver and the given password.
void CreateTableLike(const std::string& dir, const std::string& name, const Table& like, const std::string& password);

// Stores the records `fill` inserts in a new key-violation table shaped like the source (same
// password) under the first free KEYVIOL name, and returns that name.
std::string WriteKeyViolations(const TableState& s, const std::string& password, const KeyViolationFill& fill);

}  // namespace paradox::detail
