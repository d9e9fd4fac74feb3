// INI files through the face: the engine's reader.
#include "paradox/api/ini_file.h"

#include "paradox/api/engine_call_internal.h"
#include "paradox/session/ini_file.h"

namespace paradox::api {

struct PARADOX_HIDDEN IniFile::Impl {
    paradox::IniFile ini;
};

IniFile::IniFile(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

IniFile IniFile::Load(const std::string& path) {
    return detail::Call([&] { return IniFile(std::make_shared<const Impl>(Impl{paradox::IniFile::Load(path)})); });
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    return impl_->ini.value(section, key);
}
std::vector<std::string> IniFile::sections() const { return impl_->ini.sections(); }
std::vector<std::pair<std::string, std::string>> IniFile::entries(std::string_view section) const {
    return impl_->ini.entries(section);
}

}  // namespace paradox::api
