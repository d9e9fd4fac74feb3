// Directory scans for table files, matched without regard to case.
#include "paradox/storage/table_list.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "paradox/storage/engine_error.h"
#include "shared/text/case_fold.h"
#include "shared/text/cp1252.h"

namespace paradox {
namespace {

bool IsHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Names the engine keeps for itself in a shared directory; never tables.
bool IsControlFile(std::string_view name) {
    std::string u = vortab::UpperCase1252(name);
    return u.rfind("PDOXUSRS.", 0) == 0 || u.rfind("PARADOX.", 0) == 0 || u == ".VORTAB-LOCKS";
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool LessNoCase(const std::string& a, const std::string& b) {
    std::string ua = vortab::UpperCase1252(a), ub = vortab::UpperCase1252(b);
    return ua != ub ? ua < ub : a < b;
}

}  // namespace

std::string NameFromDisk(std::string_view diskName) {
    return vortab::Utf8ToCp1252Exactly(diskName).value_or(std::string(diskName));
}

std::string DiskNameFor(std::string_view name) {
    return vortab::IsUtf8Beyond1252(name) ? std::string(name) : vortab::Cp1252ToUtf8(name);
}

DiskSpelling SpellingOf(std::string_view diskName, std::string_view name) {
    const auto decoded = vortab::Utf8ToCp1252Exactly(diskName);
    if (decoded && *decoded != diskName && vortab::SameNameNoCase(*decoded, name)) return DiskSpelling::Utf8;
    return vortab::SameNameNoCase(diskName, name) ? DiskSpelling::EightBit : DiskSpelling::None;
}

std::vector<std::string> DirectoryEntries(const std::string& dir) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) throw EngineError(err::kDirNoAccess, dir);
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(std::move(n));
    }
    ::closedir(d);
    return names;
}

std::optional<std::string> PickFile(std::vector<std::string> entries, std::string_view fileName) {
    std::sort(entries.begin(), entries.end());  // deterministic choice among case variants
    std::optional<std::string> best;
    int bestRank = 99;
    for (const std::string& n : entries) {
        const DiskSpelling spelling = SpellingOf(n, fileName);
        if (spelling == DiskSpelling::None) continue;
        const int rank = (spelling == DiskSpelling::Utf8 ? 0 : 2) + (n == fileName ? 0 : 1);
        if (rank < bestRank) best = n, bestRank = rank;
    }
    return best;
}

std::vector<std::string> PickFamily(const std::vector<std::string>& entries, std::string_view base) {
    std::vector<std::string> utf8, eightBit;
    bool utf8Db = false, eightBitDb = false;
    for (const std::string& n : entries) {
        const std::size_t dot = n.rfind('.');
        const std::string_view ext = std::string_view(n).substr(dot + 1);
        if (dot == std::string::npos || !IsFamilyFileExtension(ext)) continue;
        const DiskSpelling spelling = SpellingOf(std::string_view(n).substr(0, dot), base);
        const bool db = vortab::SameNameNoCase(ext, "DB");
        if (spelling == DiskSpelling::Utf8) utf8.push_back(n), utf8Db = utf8Db || db;
        if (spelling == DiskSpelling::EightBit) eightBit.push_back(n), eightBitDb = eightBitDb || db;
    }
    return (utf8.empty() || (eightBitDb && !utf8Db)) ? eightBit : utf8;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    // Iterative wildcard match with one backtrack point: linear in practice, never recursive.
    std::size_t n = 0, p = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || vortab::UpperCase1252(pattern[p]) == vortab::UpperCase1252(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::string FileNamePart(std::string_view path) {
    std::size_t cut = path.find_last_of("/\\:");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string TableBaseName(std::string_view path) {
    std::string name = FileNamePart(path);
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string PathInDir(const std::string& dir, std::string_view name) {
    if (dir.empty()) return std::string(name);
    if (dir.back() == '/') return dir + std::string(name);
    return dir + "/" + std::string(name);
}

std::vector<std::string> ListTables(const std::string& dir, std::string_view pattern) {
    std::string pat = FileNamePart(pattern);
    if (pat.find('.') == std::string::npos) pat += ".DB";
    std::vector<std::string> out;
    for (const std::string& n : DirectoryEntries(dir)) {
        const std::string name = NameFromDisk(n);
        if (IsControlFile(name) || !MatchesPattern(name, pat)) continue;
        if (IsRegularFile(PathInDir(dir, n))) out.push_back(name);
    }
    std::sort(out.begin(), out.end(), LessNoCase);
    out.erase(std::unique(out.begin(), out.end()), out.end());  // a table spelled both ways is one name
    return out;
}

std::optional<std::string> FindFileNoCase(const std::string& dir, std::string_view fileName) {
    std::string exact = PathInDir(dir, fileName);
    if (IsRegularFile(exact)) return std::string(fileName);
    std::vector<std::string> names;
    try {
        names = DirectoryEntries(dir);
    } catch (const EngineError&) {
        return std::nullopt;
    }
    std::erase_if(names, [&](const std::string& n) { return !IsRegularFile(PathInDir(dir, n)); });
    return PickFile(std::move(names), fileName);
}

bool IsFamilyFileExtension(std::string_view ext) {
    std::string u = vortab::UpperCase1252(ext);
    if (u == "DB" || u == "PX" || u == "MB" || u == "VAL" || u == "TV" || u == "FAM") return true;
    if (u == "VTS") return true;  // our auxiliary-password store (aux_password.h)
    if (u.size() == 3 && (u[0] == 'X' || u[0] == 'Y')) {
        if (u[1] == 'G') return std::isdigit(static_cast<unsigned char>(u[2])) != 0;
        return IsHexDigit(u[1]) && IsHexDigit(u[2]);
    }
    return false;
}

std::vector<std::string> FamilyFileNames(const std::string& dir, std::string_view base) {
    std::vector<std::string> out = PickFamily(DirectoryEntries(dir), base);
    std::erase_if(out, [&](const std::string& n) { return !IsRegularFile(PathInDir(dir, n)); });
    std::sort(out.begin(), out.end(), LessNoCase);
    return out;
}

}  // namespace paradox
