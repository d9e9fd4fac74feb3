// Database aliases: named Paradox directories read from the aliases INI file, one section per
// alias with TYPE=STANDARD and PATH=<directory>. The file is $VORTAB_ALIASES, else
// $XDG_CONFIG_HOME/vortab/aliases.ini, else ~/.config/vortab/aliases.ini. Names match without
// regard to case; paths may be written with '\' and are given back with '/'.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace paradox {

class IniFile;

struct Alias {
    std::string name;  // as spelled in the file
    std::string type;  // driver type, "STANDARD" for Paradox directories (upper-cased)
    std::vector<std::pair<std::string, std::string>> params;  // every key, "PATH" among them

    // The "PATH" parameter ('/' separators), empty when the alias has none.
    std::string path() const;
    // The directory of the database: PATH, or its directory part when PATH names a file; empty
    // (the current directory) when the alias has no PATH.
    std::string directory() const;
};

class AliasList {
public:
    // The aliases file path from the environment (see above); empty when none can be formed.
    static std::string DefaultFile();
    // Reads the aliases file; a missing file gives no aliases.
    static AliasList Load(const std::string& file);
    static AliasList FromIni(std::string_view text);

    const std::vector<Alias>& all() const { return aliases_; }
    const Alias* find(std::string_view name) const;
    // The directory a database text stands for: the directory() of the alias of that name, else
    // the text itself. Every part of the system turns aliases into directories by this rule.
    std::string databaseDirectory(std::string_view database) const;

private:
    static AliasList FromParsed(const IniFile& ini);
    std::vector<Alias> aliases_;
};

// Backslashes of a path turned into '/'.
std::string SlashPath(std::string_view path);

}  // namespace paradox
