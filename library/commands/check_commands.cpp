#include "library/commands/check_commands.h"

#include <cstring>
#include <functional>

#include "library/commands/change_locks.h"
#include "library/commands/check_values.h"
#include "library/commands/command_support.h"
#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/commands/dependency_map.h"
#include "library/commands/field_edits.h"
#include "library/commands/passwords.h"
#include "library/commands/restructure_sequence.h"
#include "library/engine/engine.h"
#include "library/engine/table_engine.h"
#include "library/language/errors.h"
#include "library/language/integer_conversion.h"

namespace vortab {
namespace {

struct CheckEdit {
    ValidityCheckDescriptor check{};
    bool hasEntry = false;
    OperationCode op = CRADD;
};

using CheckEditStep = std::function<void(CheckEdit&, const FieldDescriptor&)>;

void CheckRestructure(const std::string& tableName, const std::string& fieldName,
                      const CheckEditStep& step) {
    ChangeLocks locks(tableName);
    std::uint32_t tag = 0;
    TableRestructure restructure(tableName, ThreadDatabaseContext().driver);
    {
        CommandTable table(tableName, false);
        tag = table.tag();
        const std::vector<FieldDescriptor> fields = FieldDescriptors(table.table());
        const int index = FindFieldIndex(fields, fieldName);
        if (index < 0) throw engine::EngineError(engine::err::kInvalidParam, "no field " + fieldName);
        const FieldDescriptor& field = fields[static_cast<std::size_t>(index)];
        CheckEdit edit;
        edit.check.fieldNumber = static_cast<std::uint16_t>(index + 1);
        step(edit, field);
        const bool hasCheck = field.validityCheck != 0;
        if ((edit.op == CRDROP) != hasCheck) throw EAlreadyUpdated();
        if (edit.hasEntry) {
            restructure.checks.push_back(edit.check);
            restructure.checkOps.push_back(edit.op);
        }
    }
    WithDependentLinksSuspended(tableName, locks.dependents(), [&] {
        MasterPasswordFor(tag, restructure.descriptor());
        RunRestructureSequence(restructure);
    });
}

std::uint16_t ValueKind16(const Value& v) {
    return static_cast<std::uint16_t>(RoundToInt32(v.toNumber()));
}

// args: minimum, maximum and default kinds, their values, picture, required.
void EditAddCheck(CheckEdit& edit, const FieldDescriptor& field, const Value* args) {
    ValidityCheckDescriptor& c = edit.check;
    c.required = args[7].toBoolean() ? 1 : 0;
    c.minimumKind = ValueKind16(args[0]);
    c.maximumKind = ValueKind16(args[1]);
    c.defaultKind = ValueKind16(args[2]);
    const auto given = static_cast<std::uint16_t>(CheckValueKind::Value);
    if (c.minimumKind == given) NativeCheckValue(field, args[3], c.minimum);
    if (c.maximumKind == given) NativeCheckValue(field, args[4], c.maximum);
    if (c.defaultKind == given) NativeCheckValue(field, args[5], c.defaultValue);
    const std::string picture = TextArgument(args[6]);
    if (picture.size() >= sizeof c.picture)
        throw engine::EngineError(engine::err::kInvalidParam, "picture longer than 175 bytes");
    std::memcpy(c.picture, picture.data(), picture.size());
    edit.hasEntry = c.required || c.minimumKind || c.maximumKind || c.defaultKind || !picture.empty();
    edit.op = CRADD;
}

}  // namespace

void CheckCommandHandler(const IdentifierEntry& entry, TExpression&, int, Value& result,
                         Value* args) {
    const std::string command = entry.name;
    RunCommand(result, [&] {
        const std::string table = TextArgument(args[0]);
        const std::string field = TextArgument(args[1]);
        if (command == "VCHK_ADD") {
            CheckRestructure(table, field, [&](CheckEdit& e, const FieldDescriptor& f) {
                EditAddCheck(e, f, args + 2);
            });
        } else {
            CheckRestructure(table, field, [](CheckEdit& e, const FieldDescriptor&) {
                e.hasEntry = true;
                e.op = CRDROP;
            });
        }
    });
}

}  // namespace vortab
