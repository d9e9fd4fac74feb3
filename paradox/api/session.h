// Session: the engine state a process shares (as the original engine had one): started and
// stopped (counted), the aliases read at start, the known passwords and the password event
// asked when a protected table is opened without a fitting password. Also the engine's
// version and the aliases file. Thread-safe.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/api/export.h"

namespace paradox::api {

struct EngineVersion {
    std::uint16_t major, minor, release, build;
};
// The version of the engine library actually loaded.
PARADOX_API EngineVersion LoadedEngineVersion();

// The password event's answer: give up (the open fails with 10498), or try again after the
// handler added a password to the session.
enum class PasswordReply { Abort, Retry };
using PasswordEvent = std::function<PasswordReply(const std::string& table)>;

class PARADOX_API Session {
public:
    // The process's session.
    static Session& Default();
    // A session of its own: its own known passwords and password event, the default aliases file.
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void start();  // reads the aliases; counted
    void stop();   // the last stop clears the aliases; passwords stay known
    bool started() const;

    // An alias's PATH (the directory part when PATH names a file), else the text itself.
    std::string resolveDatabaseDirectory(std::string_view text) const;

    // Ignores the empty text and passwords whose checksum is already known.
    bool addPassword(std::string_view password);
    bool knowsPassword(std::uint32_t checksum) const;
    std::optional<std::string> findPassword(std::uint32_t checksum) const;
    std::vector<std::string> knownPasswords() const;  // in the order added
    void setPasswordEvent(PasswordEvent event);

private:
    friend class Database;
    struct Impl;
    explicit Session(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// A database alias of the aliases file ($VORTAB_ALIASES, else $XDG_CONFIG_HOME/vortab/aliases.ini,
// else ~/.config/vortab/aliases.ini): one section per alias with TYPE and PATH.
struct Alias {
    std::string name;       // as spelled in the file
    std::string type;       // "STANDARD" for Paradox directories (upper-cased)
    std::string path;       // the PATH parameter ('/' separators), empty when none
    std::string directory;  // PATH, or its directory part when PATH names a file
};
// Every alias of the aliases file, read now (none when the file is missing).
PARADOX_API std::vector<Alias> ListAliases();
// The alias of that name (case ignored), read now from the aliases file.
PARADOX_API std::optional<Alias> FindAlias(std::string_view name);
// The directory a database name stands for: an alias's directory, else the name itself.
PARADOX_API std::string DatabaseDirectory(std::string_view database);

}  // namespace paradox::api
