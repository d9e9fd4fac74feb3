// Session: the engine state one process shares (one session, as the original engine had):
// started/stopped (counted, so several users in one process may each start and stop it), the
// aliases read at start, the known passwords and the password event asked when a protected
// table is opened without a fitting password. Thread-safe.
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "paradox/session/alias_list.h"
#include "paradox/session/password_list.h"

namespace paradox {

// Engine codes raised by sessions and databases that the engine's own list lacks.
namespace session_err {
inline constexpr int kUnknownDatabase = 10014;   // "Unknown database"
inline constexpr int kInvalidDirectory = 10018;  // "Invalid directory"
inline constexpr int kNotInitialized = 10758;    // "Engine not initialized"
}  // namespace session_err

// The password event's answer: give up (the open fails with 10498), or try again after the
// handler added a password to the session.
enum class PasswordReply { Abort, Retry };
using PasswordEvent = std::function<PasswordReply(const std::string& table)>;

struct DatabaseInfo {
    std::string name;  // alias name as configured
    std::string type;  // "STANDARD" for Paradox directories
    std::string path;  // the alias's PATH ('/' separators)
};

class Session {
public:
    // checksum: the password checksum of the table format. aliasFile: empty = the default
    // location (AliasList::DefaultFile), looked up at each start.
    explicit Session(PasswordChecksumFunction checksum, std::string aliasFile = {});
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The process's session (the table format's checksum, the default alias file).
    static Session& Default();

    void start();        // reads the aliases; counted
    void stop();         // the last stop clears the aliases; passwords stay known
    bool started() const;
    void requireStarted() const;  // 10758 when not started
    void reloadAliases();

    // Databases are the configured aliases.
    std::vector<DatabaseInfo> listDatabases() const;
    bool isAlias(std::string_view name) const;
    // Parameters of an alias, "PATH" among them; 10014 for an unknown alias.
    std::vector<std::pair<std::string, std::string>> aliasParams(std::string_view name) const;
    // The directory of an alias (Alias::directory); 10014 for an unknown alias.
    std::string aliasDirectory(std::string_view name) const;
    // An alias's PATH (the directory part when PATH names a file), else the text itself.
    std::string resolveDatabaseDirectory(std::string_view text) const;

    // Passwords. addPassword ignores the empty text and checksums already known.
    bool addPassword(std::string_view password) { return passwords_.add(password); }
    const PasswordList& passwords() const { return passwords_; }
    void setPasswordEvent(PasswordEvent event);
    // The password for a table's stored checksum: a known one, else what the password event
    // makes known (asked again while it answers Retry and adds new passwords). 10498 when
    // none fits. A checksum of 0 needs no password and gives "".
    std::string requirePassword(const std::string& table, std::uint32_t checksum);
    // One ask of the password event for an open that found no fitting known password: the
    // password it added, or nullopt when it answered Abort or added nothing new.
    std::optional<std::string> askPassword(const std::string& table);

private:
    mutable std::mutex mutex_;
    PasswordList passwords_;
    std::string aliasFile_;
    AliasList aliases_;
    int starts_ = 0;
    PasswordEvent event_;
};

}  // namespace paradox
