#include "library/commands/link_commands.h"

#include <cstring>

#include "library/commands/change_locks.h"
#include "library/commands/command_support.h"
#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/commands/dependency_map.h"
#include "library/commands/field_edits.h"
#include "library/commands/field_list.h"
#include "library/commands/passwords.h"
#include "library/commands/restructure_sequence.h"
#include "library/engine/engine.h"
#include "library/engine/table_engine.h"
#include "library/language/errors.h"
#include "library/language/integer_conversion.h"
#include "shared/text/case_fold.h"

namespace vortab {
namespace {

[[noreturn]] void InvalidParameter(const std::string& what) {
    throw engine::EngineError(engine::err::kInvalidParam, what);
}

// 1-based field numbers of the named fields; 9986 for a field the table lacks.
std::vector<std::uint16_t> FieldNumbers(const engine::Table& table,
                                        const std::vector<std::string>& names) {
    const std::vector<FieldDescriptor> fields = FieldDescriptors(table);
    std::vector<std::uint16_t> numbers;
    for (const std::string& name : names) {
        const int index = FindFieldIndex(fields, name);
        if (index < 0) InvalidParameter("no field " + name);
        numbers.push_back(static_cast<std::uint16_t>(index + 1));
    }
    return numbers;
}

// Element i of a 16-bit array inside a packed record, which may lie at an odd address.
std::uint16_t PackedElement(const std::uint16_t* array, std::size_t i) {
    std::uint16_t value = 0;
    std::memcpy(&value, reinterpret_cast<const char*>(array) + i * sizeof value, sizeof value);
    return value;
}

void StorePacked(std::uint16_t* array, const std::vector<std::uint16_t>& values) {
    std::memcpy(reinterpret_cast<char*>(array), values.data(), values.size() * sizeof(std::uint16_t));
}

// Some index of the table must have these fields, in this order, as its leading key fields.
void RequireLeadingIndex(const engine::Table& table, const std::vector<std::uint16_t>& numbers) {
    for (const IndexDescriptor& index : IndexDescriptors(table)) {
        if (std::uint16_t{index.keyFieldCount} < numbers.size()) continue;
        bool leads = true;
        for (std::size_t i = 0; i < numbers.size() && leads; ++i)
            leads = PackedElement(index.keyFields, i) == numbers[i];
        if (leads) return;
    }
    throw engine::EngineError(engine::err::kRintReqIndex);
}

void AddLink(const std::string& dependentName, const std::string& dependentFields,
             const std::string& masterName, const std::string& masterFields,
             const std::string& linkName, std::uint32_t updateRule) {
    const std::string& driver = ThreadDatabaseContext().driver;
    const std::string dependent = WithDefaultExtension(dependentName, driver);
    const std::string master = WithDefaultExtension(masterName, driver);
    const std::vector<std::string> masterList = SplitFieldList(masterFields);
    const std::vector<std::string> dependentList = SplitFieldList(dependentFields);
    if (masterList.empty() || masterList.size() != dependentList.size())
        InvalidParameter("field lists");
    if (masterList.size() > kMaxKeyFields) InvalidParameter("more than 16 fields");

    ChangeLocks locks(dependent, {master});
    RILinkDescriptor link{};
    CopyName(link.name, sizeof link.name, linkName);
    {
        CommandTable masterTable(master, false);
        const auto numbers = FieldNumbers(masterTable.table(), masterList);
        RequireLeadingIndex(masterTable.table(), numbers);
        StorePacked(link.otherFields, numbers);
    }
    std::uint32_t tag = 0;
    {
        CommandTable dependentTable(dependent, false);
        tag = dependentTable.tag();
        const auto numbers = FieldNumbers(dependentTable.table(), dependentList);
        RequireLeadingIndex(dependentTable.table(), numbers);
        StorePacked(link.thisFields, numbers);
        for (const RILinkDescriptor& existing : LinkDescriptors(dependentTable.table()))
            if (SameNameNoCase(existing.name, linkName)) throw EAlreadyUpdated();
    }
    link.kind = static_cast<std::uint32_t>(LinkKind::Dependent);
    CopyName(link.otherTable, sizeof link.otherTable, CanonicalTableName(master));
    link.updateRule = updateRule;
    link.deleteRule = static_cast<std::uint32_t>(LinkRule::Restrict);
    link.fieldCount = static_cast<std::uint16_t>(masterList.size());

    TableRestructure restructure(dependent, driver);
    restructure.links.push_back(link);
    restructure.linkOps.push_back(CRADD);
    char keyViolation[261] = {};
    WithDependentLinksSuspended(dependent, locks.dependents(), [&] {
        MasterPasswordFor(tag, restructure.descriptor());
        RunRestructureSequence(restructure, keyViolation);
    });
    if (keyViolation[0] != '\0')
        throw engine::EngineError(engine::err::kMasterMissing, keyViolation);
}

void DropLink(const std::string& tableName, const std::string& linkName) {
    const ChangeLocks locks(tableName);
    std::uint32_t tag = 0;
    std::string driverType;
    std::vector<RILinkDescriptor> links;
    std::vector<OperationCode> ops;
    {
        CommandTable table(tableName, false);
        tag = table.tag();
        driverType = table.table().properties().driverType;
        links = LinkDescriptors(table.table());
    }
    if (links.empty()) return;
    bool found = false;
    for (const RILinkDescriptor& link : links) {
        const bool match = SameNameNoCase(link.name, linkName);
        found = found || match;
        ops.push_back(match ? CRDROP : CRNOOP);
    }
    if (!found) throw EAlreadyUpdated();
    TableRestructure restructure(tableName, driverType);
    restructure.links = std::move(links);
    restructure.linkOps = std::move(ops);
    MasterPasswordFor(tag, restructure.descriptor());
    RunRestructureSequence(restructure);
}

}  // namespace

void LinkCommandHandler(const IdentifierEntry& entry, TExpression&, int, Value& result,
                        Value* args) {
    const std::string command = entry.name;
    RunCommand(result, [&] {
        if (command == "RI_ADD") {
            const std::int32_t rule = RoundToInt32(args[5].toNumber());
            AddLink(TextArgument(args[0]), TextArgument(args[1]), TextArgument(args[2]),
                    TextArgument(args[3]), TextArgument(args[4]), static_cast<std::uint32_t>(rule));
        } else {
            DropLink(TextArgument(args[0]), TextArgument(args[1]));
        }
    });
}

}  // namespace vortab
