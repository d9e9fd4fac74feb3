// The engine session, its version and the aliases through the face.
#include "paradox/api/session.h"

#include "paradox/api/engine_call_internal.h"
#include "paradox/api/session_internal.h"
#include "paradox/session/alias_list.h"
#include "paradox/session/engine_version.h"

namespace paradox::api {

EngineVersion LoadedEngineVersion() {
    const paradox::EngineVersion v = paradox::LoadedEngineVersion();
    return {v.major, v.minor, v.release, v.build};
}

Session::Impl::Impl() : owned(std::make_unique<paradox::Session>(&paradox::PasswordChecksum)), engine(*owned) {}
Session::Impl::Impl(paradox::Session& shared) : engine(shared) {}

Session::Session() : impl_(std::make_unique<Impl>()) {}
Session::Session(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Session::~Session() = default;

Session& Session::Default() {
    static Session session(std::make_unique<Impl>(paradox::Session::Default()));
    return session;
}

void Session::start() {
    detail::Call([&] { impl_->engine.start(); });
}
void Session::stop() {
    detail::Call([&] { impl_->engine.stop(); });
}
bool Session::started() const { return impl_->engine.started(); }

std::string Session::resolveDatabaseDirectory(std::string_view text) const {
    return detail::Call([&] { return impl_->engine.resolveDatabaseDirectory(text); });
}

bool Session::addPassword(std::string_view password) { return impl_->engine.addPassword(password); }
bool Session::knowsPassword(std::uint32_t checksum) const { return impl_->engine.passwords().knows(checksum); }
std::optional<std::string> Session::findPassword(std::uint32_t checksum) const {
    return impl_->engine.passwords().find(checksum);
}
std::vector<std::string> Session::knownPasswords() const { return impl_->engine.passwords().all(); }

void Session::setPasswordEvent(PasswordEvent event) {
    if (!event) {
        impl_->engine.setPasswordEvent({});
        return;
    }
    impl_->engine.setPasswordEvent([event = std::move(event)](const std::string& table) {
        return event(table) == PasswordReply::Retry ? paradox::PasswordReply::Retry : paradox::PasswordReply::Abort;
    });
}

namespace {

Alias AliasOf(const paradox::Alias& a) { return {a.name, a.type, a.path(), a.directory()}; }

paradox::AliasList LoadAliases() {
    return detail::Call([] { return paradox::AliasList::Load(paradox::AliasList::DefaultFile()); });
}

}  // namespace

std::vector<Alias> ListAliases() {
    const paradox::AliasList list = LoadAliases();
    std::vector<Alias> aliases;
    for (const paradox::Alias& a : list.all()) aliases.push_back(AliasOf(a));
    return aliases;
}

std::optional<Alias> FindAlias(std::string_view name) {
    const paradox::AliasList aliases = LoadAliases();
    if (const paradox::Alias* a = aliases.find(name)) return AliasOf(*a);
    return std::nullopt;
}

std::string DatabaseDirectory(std::string_view database) { return LoadAliases().databaseDirectory(database); }

}  // namespace paradox::api
