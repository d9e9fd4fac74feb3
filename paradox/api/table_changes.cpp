// Table changes through the face: a request becomes the engine's table descriptor here.
#include "paradox/api/table_changes.h"

#include "paradox/api/engine_call_internal.h"
#include "paradox/api/interface_records.h"
#include "paradox/change/batch_move.h"
#include "paradox/change/index_ops.h"
#include "paradox/change/restructure.h"
#include "paradox/format/check_descriptor.h"
#include "paradox/format/link_descriptor.h"
#include "paradox/table/security.h"
#include "paradox/table/table_writer.h"

namespace paradox::api {
namespace {

// One array of the descriptor with its operation codes, owned here.
template <class R>
struct Entries {
    std::vector<R> records;
    std::vector<paradox::OperationCode> ops;

    template <typename T, typename Convert>
    Entries(const std::vector<T>& items, const std::vector<Operation>& operations, Convert convert) {
        if (!operations.empty() && operations.size() != items.size())
            throw paradox::EngineError(paradox::err::kInvalidParam, "operations do not match the entries");
        for (const T& item : items) records.push_back(convert(item));
        for (const Operation op : operations) ops.push_back(static_cast<paradox::OperationCode>(op));
    }
    std::uint16_t count() const { return static_cast<std::uint16_t>(records.size()); }
    R* data() { return records.empty() ? nullptr : records.data(); }
    paradox::OperationCode* codes() { return ops.empty() ? nullptr : ops.data(); }
};

// The engine's table descriptor of a request, with the arrays it points to.
class EngineRequest {
public:
    explicit EngineRequest(const TableRequest& q)
        : fields_(q.fields, q.fieldOps, [](const Field& f) { return records::FieldRecord<paradox::FieldDescriptor>(f); }),
          indexes_(q.indexes, q.indexOps, [](const Index& x) { return records::IndexRecord<paradox::IndexDescriptor>(x); }),
          security_(q.security, q.securityOps,
                    [](const SecurityEntry& s) { return records::SecurityRecord<paradox::SecurityDescriptor>(s); }),
          checks_(q.checks, q.checkOps,
                  [](const Check& c) { return records::CheckRecord<paradox::ValidityCheckDescriptor>(c); }),
          links_(q.links, q.linkOps, [](const Link& l) { return records::LinkRecord<paradox::RILinkDescriptor>(l); }) {
        paradox::TableDescriptor& d = descriptor_;
        records::SetFixedText(d.tableName, q.tableName);
        records::SetFixedText(d.driverType, q.driverType);
        records::SetFixedText(d.errorTableName, q.errorTableName);
        records::SetFixedText(d.userName, q.userName);
        records::SetFixedText(d.password, q.password);
        d.protectedFlag = q.protect ? 1 : 0;
        d.pack = q.pack;
        d.fieldCount = fields_.count();
        d.fields = fields_.data();
        d.fieldOps = fields_.codes();
        d.indexCount = indexes_.count();
        d.indexes = indexes_.data();
        d.indexOps = indexes_.codes();
        d.securityCount = security_.count();
        d.security = security_.data();
        d.securityOps = security_.codes();
        d.checkCount = checks_.count();
        d.checks = checks_.data();
        d.checkOps = checks_.codes();
        d.linkCount = links_.count();
        d.links = links_.data();
        d.linkOps = links_.codes();
        for (const auto& [name, value] : q.options) {
            paradox::OptionalParameter option{};
            records::SetFixedText(option.name, name);
            option.offset = static_cast<std::uint16_t>(optionData_.size());
            option.length = static_cast<std::uint16_t>(value.size() + 1);
            optionData_.insert(optionData_.end(), value.begin(), value.end());
            optionData_.push_back('\0');
            options_.push_back(option);
        }
        d.optionCount = static_cast<std::uint16_t>(options_.size());
        d.options = options_.empty() ? nullptr : options_.data();
        d.optionData = optionData_.empty() ? nullptr : optionData_.data();
    }

    const paradox::TableDescriptor& descriptor() const { return descriptor_; }

private:
    Entries<paradox::FieldDescriptor> fields_;
    Entries<paradox::IndexDescriptor> indexes_;
    Entries<paradox::SecurityDescriptor> security_;
    Entries<paradox::ValidityCheckDescriptor> checks_;
    Entries<paradox::RILinkDescriptor> links_;
    std::vector<paradox::OptionalParameter> options_;
    std::vector<char> optionData_;
    paradox::TableDescriptor descriptor_{};
};

}  // namespace

void CreateTable(const std::string& dir, const TableRequest& request, const CreateOptions& options) {
    detail::Call([&] {
        const EngineRequest engine(request);
        paradox::createTable(dir, engine.descriptor(), {options.keyFields, options.overwrite});
    });
}

RestructureResult RestructureTable(const std::string& dir, const TableRequest& request,
                                   const RestructureOptions& options) {
    return detail::Call([&] {
        const EngineRequest engine(request);
        char keyViolationName[paradox::kKeyViolNameSize] = {};
        if (options.keyViolationTable) records::SetFixedText(keyViolationName, *options.keyViolationTable);
        const paradox::RestructureResult r =
            paradox::restructureTable(dir, engine.descriptor(), options.keyViolationTable ? keyViolationName : nullptr,
                                      {options.passwords, options.askPassword});
        return RestructureResult{r.records, r.setAside, r.keyViolTable};
    });
}

void RenameTable(const std::string& dir, const std::string& from, const std::string& to) {
    detail::Call([&] { paradox::renameTable(dir, from, to); });
}

void DeleteTable(const std::string& dir, const std::string& name) {
    detail::Call([&] { paradox::deleteTable(dir, name); });
}

AddIndexResult AddIndex(const std::string& dir, const std::string& table, const Index& index, const OpenOptions& options) {
    return detail::Call([&] {
        const paradox::AddIndexResult r = paradox::AddIndex(
            dir, table, records::IndexRecord<paradox::IndexDescriptor>(index), detail::EngineOptions(options));
        return AddIndexResult{r.keyViolTable, r.keyViolations};
    });
}

void DeleteIndex(const std::string& dir, const std::string& table, const std::string& name, const OpenOptions& options) {
    detail::Call([&] { paradox::DeleteIndex(dir, table, name, detail::EngineOptions(options)); });
}

std::vector<SecurityEntry> ListAuxPasswords(const std::string& dir, const std::string& table, const OpenOptions& options) {
    return detail::Call([&] {
        std::vector<SecurityEntry> entries;
        for (const paradox::SecurityDescriptor& d : paradox::ListAuxPasswords(dir, table, detail::EngineOptions(options)))
            entries.push_back(records::SecurityOf(d));
        return entries;
    });
}

BatchMoveResult BatchMove(const BatchMoveRequest& request) {
    return detail::Call([&] {
        paradox::BatchMoveRequest r;
        r.sourceDir = request.sourceDir;
        r.sourceTable = request.sourceTable;
        r.sourceOptions = detail::EngineOptions(request.sourceOptions);
        r.destDir = request.destDir;
        r.destTable = request.destTable;
        r.destOptions = detail::EngineOptions(request.destOptions);
        r.mode = static_cast<paradox::BatchMode>(request.mode);
        r.mappings = request.mappings;
        r.abortOnKeyViolation = request.abortOnKeyViolation;
        r.abortOnProblem = request.abortOnProblem;
        const paradox::BatchMoveResult result = paradox::BatchMove(r);
        return BatchMoveResult{result.moved, result.keyViolations, result.problems, result.keyViolTable};
    });
}

std::vector<std::string> ReadMappingFile(const std::string& path) {
    return detail::Call([&] { return paradox::ReadMappingFile(path); });
}

}  // namespace paradox::api
