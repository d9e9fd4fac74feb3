#include "library/commands/command_table.h"

#include <filesystem>

#include "library/commands/database_context.h"
#include "library/commands/passwords.h"
#include "library/engine/engine.h"
#include "library/engine/engine_session.h"
#include "library/language/errors.h"

namespace vortab {

std::string WithDefaultExtension(const std::string& tableName, const std::string& driver) {
    const std::size_t nameStart = tableName.find_last_of("\\/:") + 1;  // npos + 1 == 0
    const std::size_t dot = tableName.rfind('.');
    const std::string stem =
        dot != std::string::npos && dot >= nameStart ? tableName.substr(0, dot) : tableName;
    return stem + DefaultExtension(driver, true);
}

CommandTable::CommandTable(const std::string& tableName, bool exclusive)
    : name_(tableName), exclusive_(exclusive) {
    Open();
}

CommandTable::~CommandTable() {
    try {
        Close();
    } catch (...) {
    }
}

void CommandTable::BeforeTableOpen() {
    const DatabaseContext& ctx = ThreadDatabaseContext();
    type_ = ctx.driverKind;
    const std::string path =
        ContextDatabase().tablePath(WithDefaultExtension(name_, ctx.driver));
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return;
    if (type_ == DriverKind::Paradox) tag_ = HeaderChecksum(path);
    if (tag_ != 0 && !IsKnownChecksum(tag_)) AddKnownPassword(RequestPassword(name_, tag_));
}

void CommandTable::AfterTableOpen() {
    const std::string& driver = ThreadDatabaseContext().driver;
    if (table_->properties().driverType != driver) throw EDriverMismatch(driver);
}

void CommandTable::Open() {
    if (table_) return;
    BeforeTableOpen();
    engine::Database& db = ContextDatabase();
    const std::string fileName = WithDefaultExtension(name_, ThreadDatabaseContext().driver);
    if (exclusive_) {
        db.lockTable(fileName, engine::LockMode::Exclusive);
        locked_ = true;
    }
    try {
        engine::OpenOptions options;
        options.passwords = EngineSession().knownPasswords();
        table_.emplace(engine::Table::Open(db.directory(), fileName, options));
        AfterTableOpen();
    } catch (...) {
        Close();
        throw;
    }
}

void CommandTable::Close() {
    table_.reset();
    if (locked_) {
        locked_ = false;
        ContextDatabase().unlockTable(WithDefaultExtension(name_, ThreadDatabaseContext().driver),
                                      engine::LockMode::Exclusive);
    }
}

void CommandTable::ReopenExclusive() {
    if (exclusive_ && table_) return;
    if (!exclusive_) Close();
    exclusive_ = true;
    Open();
}

}  // namespace vortab
