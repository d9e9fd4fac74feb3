// The program's own version (major, minor, release, build; set by the build) and the
// application title made from it.
#pragma once
#include <QString>
#include <string>

struct LibraryInfo;

namespace vortab::ui {

struct ProgramVersion {
    int major, minor, release, build;
};

ProgramVersion ProgramFileVersion();
// "VORTAB script editor %d.%d%d" with major, minor and release.
QString ApplicationTitle();

// The library's version line of generated scripts: its interface version, or empty.
std::string LibraryVersionText(const ::LibraryInfo* info);

}  // namespace vortab::ui
