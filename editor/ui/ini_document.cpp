#include "editor/ui/ini_document.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "editor/ui/script_file.h"
#include "paradox/api/ini_file.h"
#include "shared/text/case_fold.h"

namespace vortab::ui {

IniDocument IniDocument::Load(const std::string& path) {
    IniDocument doc;
    doc.path_ = path;
    try {
        const paradox::api::IniFile ini = paradox::api::IniFile::Load(path);
        for (const std::string& name : ini.sections()) doc.sections_.push_back({name, ini.entries(name)});
    } catch (...) {
        // An unreadable file reads as empty; the settings then keep their defaults.
    }
    return doc;
}

IniDocument::Section* IniDocument::find(std::string_view section) {
    for (Section& s : sections_)
        if (vortab::SameNameNoCase(s.name, section)) return &s;
    return nullptr;
}

const IniDocument::Section* IniDocument::find(std::string_view section) const {
    return const_cast<IniDocument*>(this)->find(section);
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const {
    if (const Section* s = find(section))
        for (const auto& [k, v] : s->entries)
            if (vortab::SameNameNoCase(k, key)) return v;
    return std::nullopt;
}

std::string IniDocument::text(std::string_view section, std::string_view key, const std::string& fallback) const {
    return value(section, key).value_or(fallback);
}

long long IniDocument::integer(std::string_view section, std::string_view key, long long fallback) const {
    const auto v = value(section, key);
    if (!v || v->empty()) return fallback;
    try {
        std::size_t used = 0;
        const long long n = std::stoll(*v, &used, 10);
        return used == v->size() ? n : fallback;
    } catch (...) {
        return fallback;
    }
}

bool IniDocument::boolean(std::string_view section, std::string_view key, bool fallback) const {
    return integer(section, key, fallback ? 1 : 0) != 0;
}

void IniDocument::set(std::string_view section, std::string_view key, std::string value) {
    Section* s = find(section);
    if (!s) s = &sections_.emplace_back(Section{std::string(section), {}});
    for (auto& [k, v] : s->entries)
        if (vortab::SameNameNoCase(k, key)) {
            v = std::move(value);
            return;
        }
    s->entries.emplace_back(std::string(key), std::move(value));
}

void IniDocument::setInteger(std::string_view section, std::string_view key, long long value) {
    set(section, key, std::to_string(value));
}

void IniDocument::setBoolean(std::string_view section, std::string_view key, bool value) {
    setInteger(section, key, value ? 1 : 0);
}

void IniDocument::eraseSection(std::string_view section) {
    std::erase_if(sections_, [&](const Section& s) { return vortab::SameNameNoCase(s.name, section); });
}

bool IniDocument::hasSection(std::string_view section) const { return find(section) != nullptr; }

std::vector<std::pair<std::string, std::string>> IniDocument::entries(std::string_view section) const {
    const Section* s = find(section);
    return s ? s->entries : std::vector<std::pair<std::string, std::string>>{};
}

bool IniDocument::Save() const {
    QDir().mkpath(QFileInfo(QString::fromStdString(path_)).absolutePath());
    std::string text;
    for (const Section& s : sections_) {
        text += '[' + s.name + "]\r\n";
        for (const auto& [k, v] : s.entries) text += k + '=' + v + "\r\n";
        text += "\r\n";
    }
    QSaveFile file(QString::fromStdString(path_));
    return file.open(QIODevice::WriteOnly) && file.write(text.data(), static_cast<qint64>(text.size())) >= 0 &&
           CommitDurably(file);
}

}  // namespace vortab::ui
