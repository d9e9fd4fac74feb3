#include "library/commands/index_commands.h"

#include <cstring>

#include "library/commands/change_locks.h"
#include "library/commands/command_support.h"
#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/commands/field_edits.h"
#include "library/commands/field_list.h"
#include "library/commands/table_descriptor.h"
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

// Members of the packed record are written through memcpy: they may lie at odd addresses.
void Put16(std::uint16_t* array, std::size_t i, std::uint16_t value) {
    std::memcpy(reinterpret_cast<char*>(array) + i * sizeof value, &value, sizeof value);
}
std::uint16_t Get16(const std::uint16_t* array, std::size_t i) {
    std::uint16_t value = 0;
    std::memcpy(&value, reinterpret_cast<const char*>(array) + i * sizeof value, sizeof value);
    return value;
}

int FieldNumber(const std::vector<FieldDescriptor>& fields, const std::string& name) {
    const int index = FindFieldIndex(fields, name);
    if (index < 0) InvalidParameter("no field " + name);
    return index + 1;
}

bool HasIndexNamed(const engine::Table& table, const std::string& name) {
    for (const IndexDescriptor& index : IndexDescriptors(table))
        if (SameNameNoCase(fixedText(index.name), name)) return true;
    return false;
}

void AddIndex(const std::string& tableName, const std::string& name, const std::string& keys,
              const std::string& descending, std::uint32_t options) {
    const ChangeLocks locks(tableName);
    CommandTable table(tableName, false);
    const IndexDescriptor index =
        BuildIndexDescriptor(FieldDescriptors(table.table()), name, keys, descending, options);
    if (HasIndexNamed(table.table(), name)) throw EAlreadyUpdated();
    table.ReopenExclusive();
    const std::uint32_t setAside = EngineAddIndex(ContextDatabase().directory(),
                                                  table.table().properties().name, index);
    // A primary key moved records with repeated keys out of the table: not a plain success.
    if (setAside > 0)
        throw engine::EngineError(engine::err::kMasterMissing, "records with repeated keys set aside");
}

void DropIndex(const std::string& tableName, const std::string& name) {
    const ChangeLocks locks(tableName);
    CommandTable table(tableName, false);
    if (!HasIndexNamed(table.table(), name)) throw EAlreadyUpdated();
    table.ReopenExclusive();
    EngineDeleteIndex(ContextDatabase().directory(), table.table().properties().name, name);
}

}  // namespace

IndexDescriptor BuildIndexDescriptor(const std::vector<FieldDescriptor>& fields,
                                              const std::string& name, const std::string& keys,
                                              const std::string& descending, std::uint32_t options) {
    IndexDescriptor d{};
    CopyName(d.name, sizeof d.name, name);
    const std::vector<std::string> keyNames = SplitFieldList(keys);
    const std::vector<std::string> descendingNames = SplitFieldList(descending);
    if (keyNames.size() > kMaxKeyFields) InvalidParameter("more than 16 key fields");
    const bool primary = (options & ixopt::kPrimary) != 0;
    std::uint16_t wholeDescending =
        (options & ixopt::kDescending) != 0 && descendingNames.empty() ? 1 : 0;
    d.primary = primary;
    d.unique = primary || (options & ixopt::kUnique) != 0;
    d.maintained = (options & ixopt::kNotMaintained) == 0;
    d.expression = (options & ixopt::kExpression) != 0;
    d.caseInsensitive = (options & ixopt::kCaseInsensitive) != 0;
    std::uint16_t count = 0;
    for (const std::string& key : keyNames) {
        Put16(d.keyFields, count, static_cast<std::uint16_t>(FieldNumber(fields, key)));
        Put16(d.fieldDescending, count, wholeDescending);
        ++count;
    }
    d.keyFieldCount = count;
    for (const std::string& field : descendingNames) {
        const auto number = static_cast<std::uint16_t>(FieldNumber(fields, field));
        for (std::uint16_t slot = 0; slot < count; ++slot) {
            if (Get16(d.keyFields, slot) != number) continue;
            wholeDescending = 1;
            Put16(d.fieldDescending, slot, 1);
        }
    }
    d.descending = wholeDescending;
    return d;
}

void IndexCommandHandler(const IdentifierEntry& entry, TExpression&, int, Value& result,
                         Value* args) {
    const std::string command = entry.name;
    RunCommand(result, [&] {
        if (command == "IX_ADD") {
            const auto options = static_cast<std::uint32_t>(RoundToInt32(args[4].toNumber()));
            AddIndex(TextArgument(args[0]), TextArgument(args[1]), TextArgument(args[2]),
                     TextArgument(args[3]), options);
        } else {
            DropIndex(TextArgument(args[0]), TextArgument(args[1]));
        }
    });
}

}  // namespace vortab
