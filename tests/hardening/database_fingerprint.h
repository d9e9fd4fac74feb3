// A database's structure and contents as one text, for comparing two databases that should
// be alike: `vortab info --json` of every table and `vortab export --format json` of each, in
// name order. Left out: the directory, and the change counter, which counts restructures
// rather than describing the table. Passwords are handed to both.
#pragma once
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_process.h"

namespace hardening_test {

// text without every `"key":<digits>` member (and the comma after it).
inline std::string WithoutNumberMember(std::string text, const std::string& key) {
    const std::string start = "\"" + key + "\":";
    for (std::size_t at = text.find(start); at != std::string::npos; at = text.find(start, at)) {
        std::size_t end = at + start.size();
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end < text.size() && text[end] == ',') ++end;
        text.erase(at, end - at);
    }
    return text;
}

// The number of the first `"key": <digits>` member of text, or -1.
inline int NumberMember(const std::string& text, const std::string& key) {
    std::size_t at = text.find("\"" + key + "\":");
    if (at == std::string::npos) return -1;
    at += key.size() + 3;
    while (at < text.size() && text[at] == ' ') ++at;
    if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at]))) return -1;
    return std::stoi(text.substr(at));
}

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
        shape = WithoutNumberMember(shape, "restructureVersion");
        text += table + " " + std::to_string(i.exitCode) + std::to_string(x.exitCode) + "\n" + shape + x.out + i.err + x.err;
    }
    return text;
}

}  // namespace hardening_test
