// Directory scans for table files, through the name matching of table_list.h.
#include "paradox/storage/table_family.h"

#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_list.h"
#include "shared/text/case_fold.h"

namespace paradox {

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

bool IsFamilyExtension(const std::string& ext) { return IsFamilyFileExtension(ext); }

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
    const auto found = PickFile(DirectoryEntries(dir), base + "." + ext);
    return found ? std::optional<std::string>(JoinPath(dir, *found)) : std::nullopt;
}

std::string NewMemberName(const std::string& dir, const std::string& base, const std::string& ext) {
    const auto db = FindTableFile(dir, base, "DB");
    return (db ? TableBaseName(*db) : DiskNameFor(base)) + "." + ext;
}

std::vector<std::string> FamilyFiles(const std::string& dir, const std::string& base) {
    std::vector<std::string> out;
    for (const std::string& entry : PickFamily(DirectoryEntries(dir), base)) out.push_back(JoinPath(dir, entry));
    return out;
}

}  // namespace paradox
