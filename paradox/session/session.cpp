// Session state: start counting, aliases, passwords and the password event.
#include "paradox/session/session.h"

#include "paradox/storage/engine_error.h"

namespace paradox {

Session::Session(PasswordChecksumFunction checksum, std::string aliasFile)
    : passwords_(checksum), aliasFile_(std::move(aliasFile)) {}

void Session::start() {
    AliasList fresh = AliasList::Load(aliasFile_.empty() ? AliasList::DefaultFile() : aliasFile_);
    std::lock_guard<std::mutex> guard(mutex_);
    if (starts_++ == 0) aliases_ = std::move(fresh);
}

void Session::stop() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (starts_ == 0) return;
    if (--starts_ == 0) aliases_ = AliasList{};
}

bool Session::started() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return starts_ > 0;
}

void Session::requireStarted() const {
    if (!started()) throw EngineError(session_err::kNotInitialized, "Engine not initialized");
}

void Session::reloadAliases() {
    requireStarted();
    AliasList fresh = AliasList::Load(aliasFile_.empty() ? AliasList::DefaultFile() : aliasFile_);
    std::lock_guard<std::mutex> guard(mutex_);
    aliases_ = std::move(fresh);
}

std::vector<DatabaseInfo> Session::listDatabases() const {
    requireStarted();
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<DatabaseInfo> out;
    for (const Alias& a : aliases_.all()) out.push_back({a.name, a.type, a.path()});
    return out;
}

bool Session::isAlias(std::string_view name) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return aliases_.find(name) != nullptr;
}

std::vector<std::pair<std::string, std::string>> Session::aliasParams(std::string_view name) const {
    std::lock_guard<std::mutex> guard(mutex_);
    const Alias* a = aliases_.find(name);
    if (!a) throw EngineError(session_err::kUnknownDatabase, "Unknown database: " + std::string(name));
    return a->params;
}

std::string Session::aliasDirectory(std::string_view name) const {
    std::lock_guard<std::mutex> guard(mutex_);
    const Alias* a = aliases_.find(name);
    if (!a) throw EngineError(session_err::kUnknownDatabase, "Unknown database: " + std::string(name));
    return a->directory();
}

std::string Session::resolveDatabaseDirectory(std::string_view text) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return aliases_.databaseDirectory(text);
}

void Session::setPasswordEvent(PasswordEvent event) {
    std::lock_guard<std::mutex> guard(mutex_);
    event_ = std::move(event);
}

std::optional<std::string> Session::askPassword(const std::string& table) {
    PasswordEvent event;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        event = event_;
    }
    // The handler runs without our lock: it adds its password through addPassword.
    const std::size_t before = passwords_.size();
    if (!event || event(table) != PasswordReply::Retry) return std::nullopt;
    if (passwords_.size() == before) return std::nullopt;  // nothing new: asking again would loop
    return passwords_.all().back();
}

std::string Session::requirePassword(const std::string& table, std::uint32_t checksum) {
    if (checksum == 0) return {};
    while (true) {
        if (auto known = passwords_.find(checksum)) return *known;
        if (!askPassword(table)) throw EngineError(err::kNotSufficientTableRights, table);
    }
}

}  // namespace paradox
