// A database's structure and contents as one text, for comparing two databases that should
// be alike: `vortab info --json` of every table and `vortab export --format json` of each, in
// name order. Left out: the directory, and the change counter, which counts restructures
// rather than describing the table. Passwords are handed to both.
#pragma once
#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "cli_process.h"

namespace hardening_test {

inline std::vector<std::string> TableNames(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::toupper);
        if (ext == ".DB") names.push_back(e.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string Fingerprint(const std::string& dir, const std::vector<std::string>& passwords = {}) {
    std::vector<std::string> pw;
    for (const auto& p : passwords) pw.insert(pw.end(), {"--password", p});
    std::string text;
    for (const auto& table : TableNames(dir)) {
        std::vector<std::string> info{"info", dir, table, "--json"};
        info.insert(info.end(), pw.begin(), pw.end());
        std::vector<std::string> exp{"export", dir, table, "--format", "json"};
        exp.insert(exp.end(), pw.begin(), pw.end());
        const auto i = cli_test::RunVortab(info);
        const auto x = cli_test::RunVortab(exp);
        std::string shape = i.out;
        if (const auto at = shape.find("\"tables\""); at != std::string::npos) shape = shape.substr(at);
        shape = std::regex_replace(shape, std::regex("\"restructureVersion\":[0-9]+,?"), "");
        text += table + " " + std::to_string(i.exitCode) + std::to_string(x.exitCode) + "\n" + shape + x.out + i.err + x.err;
    }
    return text;
}

}  // namespace hardening_test
