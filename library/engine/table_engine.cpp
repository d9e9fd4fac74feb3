#include "library/engine/table_engine.h"

#include <filesystem>

#include "library/engine/engine_session.h"
#include "paradox/change/restructure.h"
#include "paradox/format/val_file.h"
#include "paradox/table/secondary_index.h"

namespace vortab {
namespace {

std::string DirectoryOf(const paradox::Table& table) {
    return std::filesystem::path(table.path()).parent_path().string();
}

}  // namespace

std::vector<paradox::FieldDescriptor> FieldDescriptors(const paradox::Table& table) {
    return table.fieldDescriptors();
}

std::vector<paradox::IndexDescriptor> IndexDescriptors(const paradox::Table& table) {
    return paradox::ReadIndexDescriptors(DirectoryOf(table), table.properties().name,
                                         table.schema());
}

std::vector<paradox::RILinkDescriptor> LinkDescriptors(const paradox::Table& table) {
    const auto val = paradox::ReadValFile(DirectoryOf(table), table.properties().name);
    return val ? val->links : std::vector<paradox::RILinkDescriptor>{};
}

void EngineRestructure(const std::string& dir, const paradox::TableDescriptor& descriptor,
                       char* keyViolationName) {
    paradox::RestructureOptions options;
    options.passwords = EngineSession().passwords().all();
    paradox::restructureTable(dir, descriptor, keyViolationName, options);
}

}  // namespace vortab
