// Aliases from the INI file.
#include "paradox/session/alias_list.h"

#include <sys/stat.h>

#include <cstdlib>

#include "paradox/session/ini_file.h"
#include "shared/text/case_fold.h"

namespace paradox {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

}  // namespace

std::string SlashPath(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

std::string Alias::path() const {
    for (const auto& [key, value] : params)
        if (vortab::SameNameNoCase(key, "PATH")) return value;
    return {};
}

std::string Alias::directory() const {
    const std::string p = path();
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return p;
    const std::size_t cut = p.find_last_of('/');
    if (cut == std::string::npos) return {};
    return cut == 0 ? std::string("/") : p.substr(0, cut);  // the root keeps its slash
}

std::string AliasList::DefaultFile() {
    if (std::string f = Env("VORTAB_ALIASES"); !f.empty()) return f;
    if (std::string x = Env("XDG_CONFIG_HOME"); !x.empty()) return x + "/vortab/aliases.ini";
    if (std::string h = Env("HOME"); !h.empty()) return h + "/.config/vortab/aliases.ini";
    return {};
}

AliasList AliasList::FromParsed(const IniFile& ini) {
    AliasList list;
    for (const std::string& section : ini.sections()) {
        if (section.empty()) continue;
        Alias a;
        a.name = section;
        a.type = vortab::UpperCase1252(ini.value(section, "TYPE").value_or("STANDARD"));
        for (const auto& [key, value] : ini.entries(section)) {
            if (vortab::SameNameNoCase(key, "PATH"))
                a.params.emplace_back("PATH", SlashPath(value));
            else if (!vortab::SameNameNoCase(key, "TYPE"))
                a.params.emplace_back(key, value);
        }
        list.aliases_.push_back(std::move(a));
    }
    return list;
}

AliasList AliasList::Load(const std::string& file) {
    if (file.empty()) return {};
    return FromParsed(IniFile::Load(file));
}

AliasList AliasList::FromIni(std::string_view text) { return FromParsed(IniFile::Parse(text)); }

const Alias* AliasList::find(std::string_view name) const {
    for (const Alias& a : aliases_)
        if (vortab::SameNameNoCase(a.name, name)) return &a;
    return nullptr;
}

std::string AliasList::databaseDirectory(std::string_view database) const {
    const Alias* a = find(database);
    return a ? a->directory() : std::string(database);
}

}  // namespace paradox
