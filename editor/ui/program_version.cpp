#include "editor/ui/program_version.h"

#include "shared/identifier_entry.h"

namespace vortab::ui {

ProgramVersion ProgramFileVersion() {
    return {VORTEDIT_VERSION_MAJOR, VORTEDIT_VERSION_MINOR, VORTEDIT_VERSION_RELEASE, 0};
}

QString ApplicationTitle() {
    const ProgramVersion v = ProgramFileVersion();
    return QString::asprintf("VORTAB script editor %d.%d%d", v.major, v.minor, v.release);
}

std::string LibraryVersionText(const ::LibraryInfo* info) {
    return info ? "libvortab.so interface version: " + std::to_string(info->version) : std::string();
}

}  // namespace vortab::ui
