// Directory scans for table files; names compare with the Windows-1252 case mapping.
#include "paradox/storage/table_family.h"

#include <cctype>
#include <dirent.h>
#include <memory>

#include "paradox/storage/engine_error.h"
#include "shared/text/case_fold.h"

namespace paradox {

namespace {
struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

template <typename Fn>
void ForEachEntry(const std::string& dir, Fn fn) {
    std::unique_ptr<DIR, DirCloser> d(::opendir(dir.empty() ? "." : dir.c_str()));
    if (!d) throw EngineError(err::kDirNoAccess, dir);
    while (dirent* e = ::readdir(d.get())) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        fn(name);
    }
}

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
}  // namespace

std::string JoinPath(const std::string& dir, const std::string& file) {
    if (dir.empty()) return file;
    if (dir.back() == '/') return dir + file;
    return dir + "/" + file;
}

std::string DirectoryPart(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsFamilyExtension(const std::string& extIn) {
    const std::string ext = vortab::UpperCase1252(extIn);
    if (ext == "DB" || ext == "PX" || ext == "MB" || ext == "VAL" || ext == "TV" || ext == "FAM") return true;
    if (ext == "VTS") return true;  // our auxiliary-password store (aux_password.h)
    if (ext.size() == 3 && (ext[0] == 'X' || ext[0] == 'Y')) {
        if (ext[1] == 'G') return std::isdigit(static_cast<unsigned char>(ext[2])) != 0;
        return IsHex(ext[1]) && IsHex(ext[2]);
    }
    return false;
}

TableLocation LocateTable(const std::string& dir, const std::string& nameIn) {
    std::string name = nameIn;
    for (char& c : name)
        if (c == '\\') c = '/';
    TableLocation loc;
    loc.dir = dir;
    const auto slash = name.find_last_of('/');
    if (slash != std::string::npos) {
        const std::string part = name.substr(0, slash);
        if (name[0] == '/') loc.dir = part.empty() ? "/" : part;
        else loc.dir = JoinPath(dir, part);
        name = name.substr(slash + 1);
    }
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && vortab::SameNameNoCase(name.substr(dot + 1), "DB")) name.resize(dot);
    if (name.empty() || name.size() > 255 || name.find('\0') != std::string::npos)
        throw EngineError(err::kInvalidTableName, nameIn);
    for (char c : name)
        if (c == '*' || c == '?' || c == ':' || c == '"' || c == '<' || c == '>' || c == '|')
            throw EngineError(err::kInvalidTableName, nameIn);
    loc.base = name;
    return loc;
}

std::optional<std::string> FindTableFile(const std::string& dir, const std::string& base, const std::string& ext) {
    const std::string wanted = base + "." + ext;
    std::optional<std::string> found;
    ForEachEntry(dir, [&](const std::string& entry) {
        if (entry == wanted) found = JoinPath(dir, entry);  // an exact match wins
        else if (!found && vortab::SameNameNoCase(entry, wanted)) found = JoinPath(dir, entry);
    });
    return found;
}

std::vector<std::string> FamilyFiles(const std::string& dir, const std::string& base) {
    std::vector<std::string> out;
    ForEachEntry(dir, [&](const std::string& entry) {
        const auto dot = entry.find_last_of('.');
        if (dot == std::string::npos) return;
        if (!vortab::SameNameNoCase(entry.substr(0, dot), base)) return;
        if (IsFamilyExtension(entry.substr(dot + 1))) out.push_back(JoinPath(dir, entry));
    });
    return out;
}

}  // namespace paradox
