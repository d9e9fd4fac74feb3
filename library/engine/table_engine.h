// What the commands ask of the engine about an open table (its field, index and link
// descriptors) and the engine calls that create, change, rename, fill and delete tables. Every
// call hands the engine the passwords the library knows.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/format/descriptors.h"
#include "paradox/format/index_descriptor.h"
#include "paradox/format/link_descriptor.h"
#include "paradox/format/security_descriptor.h"
#include "paradox/table/table.h"

namespace vortab {

// The fields with their validity-check state (1 when the field has a check).
std::vector<paradox::FieldDescriptor> FieldDescriptors(const paradox::Table& table);
std::vector<paradox::IndexDescriptor> IndexDescriptors(const paradox::Table& table);
// The table's links, both those where it depends on a master and those where others depend
// on it.
std::vector<paradox::RILinkDescriptor> LinkDescriptors(const paradox::Table& table);

// Restructures the table the descriptor names in `dir`. keyViolationName (261 bytes, may be
// null) receives the name of the table that records set aside were moved to.
void EngineRestructure(const std::string& dir, const paradox::TableDescriptor& descriptor,
                       char* keyViolationName);

void EngineCreateTable(const std::string& dir, const paradox::TableDescriptor& descriptor);
void EngineDeleteTable(const std::string& dir, const std::string& table);
// Renames the table's whole family in one crash-safe step; the tables linked to it name it
// under the new name from the same step on.
void EngineRenameTable(const std::string& dir, const std::string& from, const std::string& to);

// Adds an index; returns the number of records set aside because their keys repeat.
std::uint32_t EngineAddIndex(const std::string& dir, const std::string& table,
                             const paradox::IndexDescriptor& index);
void EngineDeleteIndex(const std::string& dir, const std::string& table, const std::string& name);

std::vector<paradox::SecurityDescriptor> EngineAuxPasswords(const std::string& dir,
                                                            const std::string& table);

struct BatchMoveSpec {
    std::string sourceDir, sourceTable, destDir, destTable;
    std::uint8_t mode = 0;  // 0 append, 1 update, 2 append and update, 3 delete, 4 copy
    std::vector<std::string> mappings;
};
void EngineBatchMove(const BatchMoveSpec& spec);

}  // namespace vortab
