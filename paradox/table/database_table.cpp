// Opening tables through a database handle: lock first, then open with the session's
// passwords, the hold released when the opened table goes away.
#include "paradox/session/alias_list.h"
#include "paradox/session/session.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/database.h"

namespace paradox {

OpenedTable Database::openTable(std::string_view tableName, bool exclusive) {
    requireOpen();
    const std::string name = SlashPath(tableName);
    const LockMode mode = exclusive ? LockMode::Exclusive : LockMode::Shared;
    if (exclusive && access_ == DatabaseAccess::ReadOnly) throw EngineError(err::kTableReadOnly, name);
    // A missing table is reported as such, not as a lock problem.
    if (!FindFileNoCase(dir_, TableBaseName(name) + ".DB")) throw EngineError(err::kNoSuchTable, name);

    locks_->lock(dir_, name, mode);
    const unsigned generation = locks_->generation();
    std::shared_ptr<void> hold(nullptr, [locks = locks_, name, mode, generation](void*) {
        try {
            locks->unlockIfCurrent(name, mode, generation);
        } catch (const EngineError&) {
            // Already released by an unlockTable of the same name; nothing left to do.
        }
    });

    OpenOptions options;
    options.passwords = session_.passwords().all();
    Session* session = &session_;
    options.askPassword = [session](const std::string& table) { return session->askPassword(table); };
    return OpenedTable{Table::open(dir_, TableBaseName(name), options), std::move(hold)};
}

}  // namespace paradox
