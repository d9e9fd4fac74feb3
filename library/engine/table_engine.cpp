#include "library/engine/table_engine.h"

#include <filesystem>

#include "library/engine/engine_session.h"
#include "paradox/change/batch_move.h"
#include "paradox/change/index_ops.h"
#include "paradox/change/restructure.h"
#include "paradox/format/val_file.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/security.h"
#include "paradox/table/table_writer.h"

namespace vortab {
namespace {

std::string DirectoryOf(const paradox::Table& table) {
    return std::filesystem::path(table.path()).parent_path().string();
}

paradox::OpenOptions KnownPasswords() {
    paradox::OpenOptions options;
    options.passwords = EngineSession().passwords().all();
    return options;
}

}  // namespace

std::vector<paradox::FieldDescriptor> FieldDescriptors(const paradox::Table& table) {
    std::vector<paradox::FieldDescriptor> fields = table.fieldDescriptors();
    // The validity-check state of a field: whether the table's .VAL holds a check for it.
    if (const auto val = paradox::ReadValFile(DirectoryOf(table), table.properties().name)) {
        for (const paradox::ValidityCheckDescriptor& check : val->checks) {
            const std::uint16_t number = check.fieldNumber;
            if (number >= 1 && number <= fields.size()) fields[number - 1].validityCheck = 1;
        }
    }
    return fields;
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

void EngineCreateTable(const std::string& dir, const paradox::TableDescriptor& descriptor) {
    paradox::createTable(dir, descriptor);
}

void EngineDeleteTable(const std::string& dir, const std::string& table) {
    paradox::deleteTable(dir, table);
}

void EngineRenameTable(const std::string& dir, const std::string& from, const std::string& to) {
    paradox::renameTable(dir, from, to);
}

std::uint32_t EngineAddIndex(const std::string& dir, const std::string& table,
                             const paradox::IndexDescriptor& index) {
    return paradox::AddIndex(dir, table, index, KnownPasswords()).keyViolations;
}

void EngineDeleteIndex(const std::string& dir, const std::string& table, const std::string& name) {
    paradox::DeleteIndex(dir, table, name, KnownPasswords());
}

std::vector<paradox::SecurityDescriptor> EngineAuxPasswords(const std::string& dir,
                                                            const std::string& table) {
    return paradox::ListAuxPasswords(dir, table, KnownPasswords());
}

void EngineBatchMove(const BatchMoveSpec& spec) {
    paradox::BatchMoveRequest request;
    request.sourceDir = spec.sourceDir;
    request.sourceTable = spec.sourceTable;
    request.sourceOptions = KnownPasswords();
    request.destDir = spec.destDir;
    request.destTable = spec.destTable;
    request.destOptions = KnownPasswords();
    if (spec.mode > static_cast<std::uint8_t>(paradox::BatchMode::Copy))
        throw paradox::EngineError(paradox::err::kInvalidParam, "batch move mode");
    request.mode = static_cast<paradox::BatchMode>(spec.mode);
    request.mappings = spec.mappings;
    request.abortOnKeyViolation = true;
    request.abortOnProblem = true;
    paradox::BatchMove(request);
}

}  // namespace vortab
