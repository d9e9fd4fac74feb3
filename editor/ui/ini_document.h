// IniDocument: an editable INI file held in memory. Reading follows the profile rules of
// paradox::api::IniFile (sections and keys without regard to case, trimmed values); Save writes the
// whole file to a temporary name and renames it into place, so a crash never leaves it half
// written. Users load, change and save it around each use, keeping other users' sections.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vortab::ui {

class IniDocument {
public:
    // A missing or unreadable file gives an empty document that saves to path.
    static IniDocument Load(const std::string& path);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string text(std::string_view section, std::string_view key, const std::string& fallback) const;
    // A value that is not a whole decimal number counts as missing.
    long long integer(std::string_view section, std::string_view key, long long fallback) const;
    bool boolean(std::string_view section, std::string_view key, bool fallback) const;

    void set(std::string_view section, std::string_view key, std::string value);
    void setInteger(std::string_view section, std::string_view key, long long value);
    void setBoolean(std::string_view section, std::string_view key, bool value);
    void eraseSection(std::string_view section);
    bool hasSection(std::string_view section) const;
    // The section's keys and values in file order (none when it is missing).
    std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;

    // False when the file cannot be written (the old file then stays as it was).
    bool Save() const;
    const std::string& path() const { return path_; }

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };
    Section* find(std::string_view section);
    const Section* find(std::string_view section) const;

    std::string path_;
    std::vector<Section> sections_;
};

}  // namespace vortab::ui
