#include "library/commands/field_commands.h"

#include <cstring>
#include <functional>

#include "library/commands/change_locks.h"
#include "library/commands/command_support.h"
#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/commands/dependency_map.h"
#include "library/commands/field_edits.h"
#include "library/commands/passwords.h"
#include "library/commands/restructure_sequence.h"
#include "library/engine/table_engine.h"

namespace vortab {
namespace {

using EditStep = std::function<void(FieldEdit&, const std::vector<FieldDescriptor>&)>;

void FieldRestructure(const std::string& tableName, const EditStep& edit) {
    ChangeLocks locks(tableName);
    std::uint32_t tag = 0;
    TableRestructure restructure(tableName, ThreadDatabaseContext().driver);
    {
        CommandTable table(tableName, false);
        tag = table.tag();
        const std::vector<FieldDescriptor> current = FieldDescriptors(table.table());
        FieldEdit fields = StartFieldEdit(current);
        edit(fields, current);
        restructure.fields = std::move(fields.fields);
        restructure.fieldOps = std::move(fields.ops);
    }
    WithDependentLinksSuspended(tableName, locks.dependents(), [&] {
        MasterPasswordFor(tag, restructure.descriptor());
        RunRestructureSequence(restructure);
    });
}

FieldSpec SpecFrom(const Value* args) {
    return {Int16Argument(args[0]), Int16Argument(args[1]), Int16Argument(args[2]),
            Int16Argument(args[3])};
}

}  // namespace

void ChangeField(const std::string& table, const std::string& field, const std::string& newName,
                 const FieldSpec& spec) {
    FieldRestructure(table, [&](FieldEdit& e, const auto& current) {
        EditChangeField(e, current, field, newName, spec);
    });
}

void FieldCommandHandler(const IdentifierEntry& entry, TExpression&, int, Value& result,
                         Value* args) {
    const std::string command = entry.name;
    RunCommand(result, [&] {
        const std::string table = TextArgument(args[0]);
        const std::string field = TextArgument(args[1]);
        if (command == "FLD_ADD") {
            const FieldSpec spec = SpecFrom(args + 2);
            FieldRestructure(table, [&](FieldEdit& e, const auto&) { EditAddField(e, field, spec); });
        } else if (command == "FLD_DROP") {
            FieldRestructure(table, [&](FieldEdit& e, const auto&) { EditDropField(e, field); });
        } else if (command == "FLD_CHANGE") {
            const std::string newName = TextArgument(args[2]);
            const FieldSpec spec = SpecFrom(args + 3);
            ChangeField(table, field, newName, spec);
        } else if (command == "FLD_MOVE") {
            const int position = Int16Argument(args[2]);
            FieldRestructure(table,
                             [&](FieldEdit& e, const auto&) { EditMoveField(e, field, position); });
        }
    });
}

void ExistsFieldHandler(const IdentifierEntry&, TExpression&, int, Value& result, Value* args) {
    CommandTable table(TextArgument(args[0]), false);
    result = Value::Boolean(FindFieldIndex(FieldDescriptors(table.table()), TextArgument(args[1])) >= 0);
}

}  // namespace vortab
