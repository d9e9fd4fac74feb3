#include "library/language/registry_files.h"

#include <cstdlib>
#include <sstream>

#include "shared/text/case_fold.h"
#include "shared/text/cp1252.h"
#include "shared/text/whole_file.h"

namespace vortab {
namespace {

constexpr const char* kCurrentUser = "HKEY_CURRENT_USER";
constexpr const char* kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr std::size_t kMaxFileSize = 64u << 20;

// UTF-16 (with its byte-order mark) or UTF-8 text becomes Windows-1252; other text is kept.
std::string To1252(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::string out;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            char32_t cp = static_cast<unsigned char>(bytes[i]) |
                          static_cast<char32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
            const int b = Cp1252FromUnicode(cp);
            out += b < 0 ? '?' : static_cast<char>(b);
        }
        return out;
    }
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) return Utf8ToCp1252(bytes.substr(3));
    return bytes;
}

std::string Trim(const std::string& s) {
    const std::size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

// Logical lines: a line ending in "\" goes on in the next one (long hex lists).
std::vector<std::string> LogicalLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line, pending;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string trimmed = Trim(line);
        // Long hex lists go on in the next line after a closing "\".
        const bool goesOn = !trimmed.empty() && trimmed.back() == '\\' && trimmed[0] != '[';
        if (goesOn) {
            pending += trimmed.substr(0, trimmed.size() - 1);
            continue;
        }
        lines.push_back(pending + trimmed);
        pending.clear();
    }
    if (!pending.empty()) lines.push_back(pending);
    return lines;
}

// A quoted text starting at s[i] (the opening quote); i ends after the closing quote.
// wine: Wine's escapes (\n, \t, \xNNNN) besides \\ and \".
bool ReadQuoted(const std::string& s, std::size_t& i, bool wine, std::string& out) {
    if (i >= s.size() || s[i] != '"') return false;
    out.clear();
    for (++i; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            ++i;
            return true;
        }
        if (c != '\\' || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        const char e = s[++i];
        if (wine && e == 'n') out += '\n';
        else if (wine && e == 't') out += '\t';
        else if (wine && e == 'x') {
            std::size_t n = 0;
            char32_t cp = 0;
            while (n < 4 && i + 1 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1]))) {
                cp = cp * 16 + static_cast<char32_t>(std::stoi(std::string(1, s[++i]), nullptr, 16));
                ++n;
            }
            const int b = Cp1252FromUnicode(cp);
            out += b < 0 ? '?' : static_cast<char>(b);
        } else {
            out += e;
        }
    }
    return false;
}

std::vector<std::uint8_t> HexBytes(const std::string& list) {
    std::vector<std::uint8_t> bytes;
    std::string digits;
    for (char c : list + ",") {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if (c == ',' && !digits.empty()) {
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits, nullptr, 16) & 0xFF));
            digits.clear();
        }
    }
    return bytes;
}

// A string value stored as hex: UTF-16 in version 5 files, 8-bit bytes in REGEDIT4.
std::string HexString(const std::vector<std::uint8_t>& bytes, bool utf16) {
    std::string out;
    if (utf16) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const char32_t cp = bytes[i] | static_cast<char32_t>(bytes[i + 1]) << 8;
            if (cp == 0) break;
            const int b = Cp1252FromUnicode(cp);
            out += b < 0 ? '?' : static_cast<char>(b);
        }
    } else {
        for (std::uint8_t b : bytes) {
            if (b == 0) break;
            out += static_cast<char>(b);
        }
    }
    return out;
}

std::optional<RegistryValue> ParseData(const std::string& data, bool wine, bool utf16) {
    RegistryValue v;
    std::size_t i = 0;
    std::string text;
    if (ReadQuoted(data, i, wine, text)) {
        v.kind = RegistryKind::String;
        v.text = text;
        return v;
    }
    const std::size_t colon = data.find(':');
    if (colon == std::string::npos) return std::nullopt;  // "-": a deletion
    const std::string type = UpperCase1252(data.substr(0, colon));
    const std::string rest = data.substr(colon + 1);
    if (type == "STR(2)" || type == "STR") {
        i = 0;
        if (!ReadQuoted(rest, i, wine, text)) return std::nullopt;
        v.kind = type == "STR" ? RegistryKind::String : RegistryKind::ExpandString;
        v.text = text;
        return v;
    }
    if (type == "DWORD") {
        const std::uint32_t n = static_cast<std::uint32_t>(std::strtoul(rest.c_str(), nullptr, 16));
        v.kind = RegistryKind::Dword;
        for (int k = 0; k < 4; ++k) v.bytes.push_back(static_cast<std::uint8_t>(n >> (8 * k)));
        return v;
    }
    v.bytes = HexBytes(rest);
    if (type == "HEX") v.kind = RegistryKind::Binary;
    else if (type == "HEX(1)" || type == "HEX(2)") {
        v.kind = type == "HEX(1)" ? RegistryKind::String : RegistryKind::ExpandString;
        v.text = HexString(v.bytes, utf16 || wine);
    } else if (type == "HEX(3)") v.kind = RegistryKind::Binary;
    else if (type == "HEX(4)") v.kind = RegistryKind::Dword;
    else v.kind = RegistryKind::Other;
    return v;
}

// A key line's path: Wine doubles its backslashes.
std::string KeyPath(std::string path, bool wine) {
    if (wine) {
        std::string out;
        for (std::size_t i = 0; i < path.size(); ++i) {
            out += path[i];
            if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') ++i;
        }
        path = out;
    }
    while (!path.empty() && path.front() == '\\') path.erase(path.begin());
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

// The file's bytes; empty when it is missing, unreadable or too large.
std::string ReadFile(const std::string& path) { return ReadWholeFile(path, kMaxFileSize).bytes; }

struct Source {
    std::string path, defaultHive;
};

std::vector<Source> Sources() {
    std::vector<Source> sources;
    if (const char* list = std::getenv("VORTAB_REGISTRY"); list && *list) {
        std::string all = list;
        std::size_t start = 0;
        while (start <= all.size()) {
            const std::size_t end = std::min(all.find(':', start), all.size());
            if (end > start) sources.push_back({all.substr(start, end - start), kCurrentUser});
            start = end + 1;
        }
        return sources;
    }
    std::string prefix;
    if (const char* wine = std::getenv("WINEPREFIX"); wine && *wine) prefix = wine;
    else if (const char* home = std::getenv("HOME"); home && *home) prefix = std::string(home) + "/.wine";
    if (prefix.empty()) return sources;
    sources.push_back({prefix + "/user.reg", kCurrentUser});
    sources.push_back({prefix + "/system.reg", kLocalMachine});
    return sources;
}

}  // namespace

std::vector<RegistryEntry> ParseRegistryFile(const std::string& bytes, const std::string& defaultHive) {
    const bool utf16 = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF;
    const std::string text = To1252(bytes);
    std::vector<RegistryEntry> entries;
    const std::vector<std::string> lines = LogicalLines(text);
    if (lines.empty()) return entries;
    const std::string header = UpperCase1252(lines.front());
    const bool wine = header.rfind("WINE REGISTRY", 0) == 0;
    if (!wine && header.rfind("REGEDIT4", 0) != 0 &&
        header.rfind("WINDOWS REGISTRY EDITOR VERSION 5", 0) != 0)
        return entries;
    std::string hive = defaultHive, key;
    bool inKey = false;
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        if (wine && line.rfind(";; All keys relative to ", 0) == 0) {
            const std::string root = UpperCase1252(line.substr(24));
            hive = root.find("MACHINE") != std::string::npos ? kLocalMachine : kCurrentUser;
            continue;
        }
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            const std::size_t close = line.rfind(']');
            std::string path = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            inKey = !path.empty() && path[0] != '-';
            if (!inKey) continue;
            path = KeyPath(path, wine);
            if (!wine) {
                const std::size_t cut = path.find('\\');
                hive = UpperCase1252(path.substr(0, cut));
                path = cut == std::string::npos ? std::string() : path.substr(cut + 1);
            }
            key = path;
            continue;
        }
        if (!inKey) continue;
        std::string name;
        std::size_t i = 0;
        if (line[0] == '@') {
            i = 1;
        } else if (!ReadQuoted(line, i, wine, name)) {
            continue;
        }
        const std::size_t eq = line.find('=', i);
        if (eq == std::string::npos) continue;
        if (auto value = ParseData(Trim(line.substr(eq + 1)), wine, utf16))
            entries.push_back({hive, key, name, std::move(*value)});
    }
    return entries;
}

std::optional<RegistryValue> LookUpRegistry(const std::string& hive, const std::string& key,
                                           const std::string& valueName) {
    const std::string wantedHive = UpperCase1252(hive);
    for (const Source& source : Sources()) {
        for (RegistryEntry& entry : ParseRegistryFile(ReadFile(source.path), source.defaultHive)) {
            if (entry.hive == wantedHive && SameNameNoCase(entry.key, key) && SameNameNoCase(entry.name, valueName))
                return std::move(entry.value);
        }
    }
    return std::nullopt;
}

}  // namespace vortab
