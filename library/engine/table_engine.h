// What the commands ask of the engine about an open table (its field, index and link
// descriptors) and the engine calls that create, change, rename, fill and delete tables, in the
// library's packed interface records, which are converted to and from the engine's face here.
// Every call hands the engine the passwords the library knows.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "library/engine/engine.h"
#include "shared/engine_records.h"

namespace vortab {

// The fields with their validity-check state (1 when the field has a check).
std::vector<FieldDescriptor> FieldDescriptors(const engine::Table& table);
std::vector<IndexDescriptor> IndexDescriptors(const engine::Table& table);
// The table's links, both those where it depends on a master and those where others depend
// on it.
std::vector<RILinkDescriptor> LinkDescriptors(const engine::Table& table);

// Restructures the table the descriptor names in `dir`. keyViolationName (261 bytes, may be
// null) names the table that records set aside go to and receives the name they went to.
void EngineRestructure(const std::string& dir, const TableDescriptor& descriptor, char* keyViolationName);

void EngineCreateTable(const std::string& dir, const TableDescriptor& descriptor);
void EngineDeleteTable(const std::string& dir, const std::string& table);
// Renames the table's whole family in one crash-safe step; the tables linked to it name it
// under the new name from the same step on.
void EngineRenameTable(const std::string& dir, const std::string& from, const std::string& to);

// Adds an index; returns the number of records set aside because their keys repeat.
std::uint32_t EngineAddIndex(const std::string& dir, const std::string& table, const IndexDescriptor& index);
void EngineDeleteIndex(const std::string& dir, const std::string& table, const std::string& name);

std::vector<SecurityDescriptor> EngineAuxPasswords(const std::string& dir, const std::string& table);

struct BatchMoveSpec {
    std::string sourceDir, sourceTable, destDir, destTable;
    std::uint8_t mode = 0;  // 0 append, 1 update, 2 append and update, 3 delete, 4 copy
    std::vector<std::string> mappings;
};
void EngineBatchMove(const BatchMoveSpec& spec);

// A decimal text as the native BCD form of a check value with that many decimals.
void NativeBcdCheckValue(const std::string& text, int decimals, std::uint8_t (&out)[kCheckValueSize]);

}  // namespace vortab
