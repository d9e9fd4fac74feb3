#include "library/commands/password_commands.h"

#include <algorithm>

#include "library/commands/change_locks.h"
#include "library/commands/command_support.h"
#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
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

void SetFieldRights(SecurityDescriptor& entry,
                    const std::vector<FieldDescriptor>& fields, const std::string& list,
                    std::uint32_t right) {
    for (const std::string& name : SplitFieldList(list)) {
        const int index = FindFieldIndex(fields, name);
        if (index < 0) InvalidParameter("no field " + name);
        if (index >= kMaxFieldRights) InvalidParameter("field beyond the rights list");
        entry.fieldRights[index] = right;
    }
}

SecurityDescriptor NewEntry(const PasswordRequest& request,
                                     const std::vector<FieldDescriptor>& fields) {
    SecurityDescriptor entry{};
    entry.entryNumber = 0;
    entry.tableRights = request.rights;
    entry.familyRights = rights::kAllFamily;
    CopyName(entry.password, sizeof entry.password, request.auxiliary);
    for (std::uint32_t& right : entry.fieldRights) right = rights::kFieldFull;
    SetFieldRights(entry, fields, request.readOnlyFields, rights::kFieldReadOnly);
    SetFieldRights(entry, fields, request.hiddenFields, rights::kFieldNone);
    return entry;
}

}  // namespace

void ChangeTablePasswords(const PasswordRequest& request) {
    const bool master = request.mode == PasswordMode::Master;
    if (!request.password.empty()) AddKnownPassword(request.password);
    if (!master && request.password.empty()) InvalidParameter("master password");
    const ChangeLocks locks(request.table);

    std::uint32_t tag = 0;
    std::string fileName;
    SecurityDescriptor entry{};
    {
        CommandTable table(request.table, false);
        tag = table.tag();
        fileName = table.table().properties().name;
        if (!master) entry = NewEntry(request, FieldDescriptors(table.table()));
    }
    // An auxiliary password is added under the master password in force: any other would
    // silently become the table's new master password.
    if (!master && tag != 0 && engine::PasswordChecksum(request.password) != tag)
        throw engine::EngineError(engine::err::kNotSufficientTableRights,
                                   "not the table's master password");
    const std::string& dir = ContextDatabase().directory();
    std::vector<SecurityDescriptor> existing;
    if (!master && tag != 0) existing = EngineAuxPasswords(dir, fileName);
    const bool hasAux = !existing.empty();
    const bool auxGiven = !request.auxiliary.empty();
    if (auxGiven) {
        std::erase_if(existing, [&](const SecurityDescriptor& e) {
            return !SameNameNoCase(e.password, request.auxiliary);  // found as names are, in any case
        });
    }
    const bool found = !existing.empty();
    const bool removing = request.rights == kRemoveRights;

    if (engine::PasswordChecksum(request.password) == tag) {
        if (master) throw EAlreadyUpdated();
        if (!auxGiven && !hasAux) throw EAlreadyUpdated();
        if (auxGiven && found != removing) throw EAlreadyUpdated();
    }

    TableRestructure restructure(request.table, ThreadDatabaseContext().driver);
    TableDescriptor& descriptor = restructure.descriptor();
    if (!request.password.empty()) {
        CopyName(descriptor.password, sizeof descriptor.password, request.password);
        descriptor.protectedFlag = 1;
    }
    if (!master) {
        if (auxGiven && !removing) {
            const bool listsGiven =
                !request.readOnlyFields.empty() || !request.hiddenFields.empty();
            if ((request.rights == rights::kInsertDelete ||
                 request.rights == rights::kFull) && listsGiven)
                InvalidParameter("field rights with insert-and-delete or full rights");
            restructure.security.push_back(entry);
            restructure.securityOps.push_back(CRADD);
        } else if (hasAux) {
            // One named auxiliary password, or every one when none is named.
            for (const SecurityDescriptor& e : existing) {
                restructure.security.push_back(e);
                restructure.securityOps.push_back(CRDROP);
            }
        }
    }
    RunRestructureSequence(restructure);
}

void AuxPasswordHandler(const IdentifierEntry&, TExpression&, int argCount, Value& result,
                        Value* args) {
    RunCommand(result, [&] {
        PasswordRequest request;
        request.table = TextArgument(args[0]);
        request.password = TextArgument(args[1]);
        request.auxiliary = TextArgument(args[2]);
        if (argCount > 3) request.rights = static_cast<std::uint32_t>(RoundToInt32(args[3].toNumber()));
        if (argCount > 4) request.readOnlyFields = TextArgument(args[4]);
        if (argCount > 5) request.hiddenFields = TextArgument(args[5]);
        ChangeTablePasswords(request);
    });
}

}  // namespace vortab
