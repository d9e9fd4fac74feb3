#include "library/engine/table_engine.h"

#include <algorithm>
#include <cstring>

#include "library/engine/engine_session.h"
#include "paradox/api/interface_records.h"

namespace vortab {
namespace {

namespace records = paradox::api::records;

constexpr std::size_t kKeyViolationNameSize = 261;  // the caller's buffer, zero-terminated

engine::OpenOptions KnownPasswords() {
    engine::OpenOptions options;
    options.passwords = EngineSession().knownPasswords();
    return options;
}

template <class Record, typename T, typename Convert>
std::vector<Record> RecordsOf(const std::vector<T>& items, Convert convert) {
    std::vector<Record> out;
    out.reserve(items.size());
    for (const T& item : items) out.push_back(convert(item));
    return out;
}

}  // namespace

std::vector<FieldDescriptor> FieldDescriptors(const engine::Table& table) {
    std::vector<FieldDescriptor> fields = RecordsOf<FieldDescriptor>(
        table.fields(), [](const engine::Field& f) { return records::FieldRecord<FieldDescriptor>(f); });
    // The validity-check state of a field: whether the table's .VAL holds a check for it.
    if (const auto val = table.validity()) {
        for (const engine::Check& check : val->checks) {
            const std::uint16_t number = check.fieldNumber;
            if (number >= 1 && number <= fields.size()) fields[number - 1].validityCheck = 1;
        }
    }
    return fields;
}

std::vector<IndexDescriptor> IndexDescriptors(const engine::Table& table) {
    return RecordsOf<IndexDescriptor>(table.indexes(),
                                      [](const engine::Index& x) { return records::IndexRecord<IndexDescriptor>(x); });
}

std::vector<RILinkDescriptor> LinkDescriptors(const engine::Table& table) {
    const auto val = table.validity();
    if (!val) return {};
    return RecordsOf<RILinkDescriptor>(val->links,
                                       [](const engine::Link& l) { return records::LinkRecord<RILinkDescriptor>(l); });
}

void EngineRestructure(const std::string& dir, const TableDescriptor& descriptor, char* keyViolationName) {
    engine::RestructureOptions options;
    options.passwords = EngineSession().knownPasswords();
    if (keyViolationName) options.keyViolationTable = std::string(keyViolationName, strnlen(keyViolationName, kKeyViolationNameSize));
    const engine::RestructureResult result = engine::RestructureTable(dir, records::RequestOf(descriptor), options);
    if (keyViolationName && !result.keyViolTable.empty()) {
        std::memset(keyViolationName, 0, kKeyViolationNameSize);
        std::memcpy(keyViolationName, result.keyViolTable.data(),
                    std::min(result.keyViolTable.size(), kKeyViolationNameSize - 1));
    }
}

void EngineCreateTable(const std::string& dir, const TableDescriptor& descriptor) {
    engine::CreateTable(dir, records::RequestOf(descriptor));
}

void EngineDeleteTable(const std::string& dir, const std::string& table) { engine::DeleteTable(dir, table); }

void EngineRenameTable(const std::string& dir, const std::string& from, const std::string& to) {
    engine::RenameTable(dir, from, to);
}

std::uint32_t EngineAddIndex(const std::string& dir, const std::string& table, const IndexDescriptor& index) {
    return engine::AddIndex(dir, table, records::IndexOf(index), KnownPasswords()).keyViolations;
}

void EngineDeleteIndex(const std::string& dir, const std::string& table, const std::string& name) {
    engine::DeleteIndex(dir, table, name, KnownPasswords());
}

std::vector<SecurityDescriptor> EngineAuxPasswords(const std::string& dir, const std::string& table) {
    return RecordsOf<SecurityDescriptor>(engine::ListAuxPasswords(dir, table, KnownPasswords()),
                                         [](const engine::SecurityEntry& s) {
                                             return records::SecurityRecord<SecurityDescriptor>(s);
                                         });
}

void EngineBatchMove(const BatchMoveSpec& spec) {
    engine::BatchMoveRequest request;
    request.sourceDir = spec.sourceDir;
    request.sourceTable = spec.sourceTable;
    request.sourceOptions = KnownPasswords();
    request.destDir = spec.destDir;
    request.destTable = spec.destTable;
    request.destOptions = KnownPasswords();
    if (spec.mode > static_cast<std::uint8_t>(engine::BatchMode::Copy))
        throw engine::EngineError(engine::err::kInvalidParam, "batch move mode");
    request.mode = static_cast<engine::BatchMode>(spec.mode);
    request.mappings = spec.mappings;
    request.abortOnKeyViolation = true;
    request.abortOnProblem = true;
    engine::BatchMove(request);
}

void NativeBcdCheckValue(const std::string& text, int decimals, std::uint8_t (&out)[kCheckValueSize]) {
    const engine::NativeValue native = engine::NativeBcd(text, decimals);
    std::memcpy(out, native.data(), sizeof out);
}

}  // namespace vortab
