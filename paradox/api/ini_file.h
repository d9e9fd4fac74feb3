// IniFile: a read-only view of an INI file with the rules of the Windows profile functions:
// sections and keys match without regard to case, values are trimmed (one pair of enclosing
// quotes removed) and cut to 1023 bytes, the first of duplicate sections or keys wins, lines
// starting with ';' are remarks. A missing file reads as empty; 9221 when it cannot be read.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "paradox/api/export.h"

namespace paradox::api {

class PARADOX_API IniFile {
public:
    static IniFile Load(const std::string& path);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::vector<std::string> sections() const;  // in file order, as spelled
    // The keys and values of a section, in file order.
    std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;

private:
    struct Impl;
    explicit IniFile(std::shared_ptr<const Impl> impl);
    std::shared_ptr<const Impl> impl_;
};

}  // namespace paradox::api
