// IniFile: a read-only view of an INI file with the rules of the Windows profile functions:
// sections and keys match without regard to case, values are trimmed (one pair of enclosing
// quotes removed) and cut to 1023 bytes, the first of duplicate sections/keys wins, lines
// starting with ';' are remarks. A missing file reads as empty. Shared by the engine (aliases)
// and the script library (INI functions).
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace paradox {

class IniFile {
public:
    static constexpr std::size_t kMaxValue = 1023;           // bytes kept of a value
    static constexpr std::size_t kMaxFileSize = 16u << 20;   // larger files are refused (9221)

    // Parses INI text (LF or CRLF lines; a UTF-8 byte-order mark is skipped).
    static IniFile Parse(std::string_view text);
    // Loads the file at path; empty when it does not exist, 9221 when it cannot be read.
    static IniFile Load(const std::string& path);

    bool exists() const { return exists_; }
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    bool hasSection(std::string_view section) const;
    std::vector<std::string> sections() const;                      // in file order, as spelled
    std::vector<std::string> keys(std::string_view section) const;  // in file order, as spelled
    // The keys and values of a section, in file order.
    std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };
    const Section* find(std::string_view section) const;

    std::vector<Section> sections_;
    bool exists_ = false;
};

}  // namespace paradox
