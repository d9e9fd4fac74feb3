// INI parsing with the profile functions' rules.
#include "paradox/session/ini_file.h"

#include "paradox/storage/engine_error.h"
#include "shared/text/case_fold.h"
#include "shared/text/whole_file.h"

namespace paradox {
namespace {

std::string_view Trim(std::string_view s) {
    const char* ws = " \t\r\n\f\v";
    std::size_t b = s.find_first_not_of(ws);
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

std::string CleanValue(std::string_view raw) {
    std::string_view v = Trim(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
    if (v.size() > IniFile::kMaxValue) v = v.substr(0, IniFile::kMaxValue);
    return std::string(v);
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    ini.exists_ = true;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    Section* current = nullptr;  // keys before the first section belong to none
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::string_view line = Trim(text.substr(0, nl));
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            std::string name(Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1)));
            // A repeated section adds nothing: lookups stop at its first occurrence.
            const Section* seen = ini.find(name);
            if (seen) {
                current = nullptr;
                continue;
            }
            ini.sections_.push_back({name, {}});
            current = &ini.sections_.back();
            continue;
        }
        if (!current) continue;
        std::size_t eq = line.find('=');
        std::string key(Trim(line.substr(0, eq)));
        std::string value = eq == std::string_view::npos ? std::string() : CleanValue(line.substr(eq + 1));
        bool dup = false;
        for (const auto& kv : current->entries) dup = dup || vortab::SameNameNoCase(kv.first, key);
        if (!dup) current->entries.emplace_back(std::move(key), std::move(value));
    }
    return ini;
}

IniFile IniFile::Load(const std::string& path) {
    const vortab::WholeFile file = vortab::ReadWholeFile(path, kMaxFileSize);
    if (file.missing()) return IniFile{};
    if (!file.ok()) throw EngineError(err::kFileNoAccess, path);
    return Parse(file.bytes);
}

const IniFile::Section* IniFile::find(std::string_view section) const {
    for (const auto& s : sections_)
        if (vortab::SameNameNoCase(s.name, section)) return &s;
    return nullptr;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    if (const Section* s = find(section))
        for (const auto& kv : s->entries)
            if (vortab::SameNameNoCase(kv.first, key)) return kv.second;
    return std::nullopt;
}

bool IniFile::hasSection(std::string_view section) const { return find(section) != nullptr; }

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> out;
    for (const auto& s : sections_) out.push_back(s.name);
    return out;
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
    std::vector<std::string> out;
    if (const Section* s = find(section))
        for (const auto& kv : s->entries) out.push_back(kv.first);
    return out;
}

std::vector<std::pair<std::string, std::string>> IniFile::entries(std::string_view section) const {
    if (const Section* s = find(section)) return s->entries;
    return {};
}

}  // namespace paradox
