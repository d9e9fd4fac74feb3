#include "library/engine/table_engine.h"

#include <cstring>
#include <filesystem>

#include "library/engine/engine_session.h"
#include "paradox/link_ops.h"
#include "paradox/restructure.h"
#include "paradox/secondary_index.h"
#include "paradox/val_file.h"

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
    if (descriptor.linkCount > 0 && descriptor.fieldCount == 0) {
        // A change of links only: the link operations write both tables in one step.
        paradox::OpenOptions open;
        open.passwords = EngineSession().passwords().all();
        const std::string keyViolation = paradox::ApplyLinkEntries(
            dir, descriptor.tableName, descriptor.links, descriptor.linkOps, descriptor.linkCount,
            open);
        if (keyViolationName && !keyViolation.empty())
            std::strncpy(keyViolationName, keyViolation.c_str(), paradox::kKeyViolNameSize - 1);
        return;
    }
    paradox::RestructureOptions options;
    options.passwords = EngineSession().passwords().all();
    paradox::restructureTable(dir, descriptor, keyViolationName, options);
}

}  // namespace vortab
