// What the commands ask of the engine about an open table (its field, index and link
// descriptors) and the one engine call that changes a table's structure.
#pragma once
#include <vector>

#include "paradox/format/descriptors.h"
#include "paradox/format/index_descriptor.h"
#include "paradox/format/link_descriptor.h"
#include "paradox/table/table.h"

namespace vortab {

std::vector<paradox::FieldDescriptor> FieldDescriptors(const paradox::Table& table);
std::vector<paradox::IndexDescriptor> IndexDescriptors(const paradox::Table& table);
// The table's links, both those where it depends on a master and those where others depend
// on it.
std::vector<paradox::RILinkDescriptor> LinkDescriptors(const paradox::Table& table);

// Restructures the table the descriptor names in `dir`. keyViolationName (261 bytes, may be
// null) receives the name of the table that records set aside were moved to.
void EngineRestructure(const std::string& dir, const paradox::TableDescriptor& descriptor,
                       char* keyViolationName);

}  // namespace vortab
