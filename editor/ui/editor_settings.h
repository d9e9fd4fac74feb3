// EditorSettings: the editor's one preferences record, its defaults, the cleaning rules and its
// INI form (section "OPTIONS", colours in "COLORS" as <code>FN/BG/FG, only where they differ
// from the defaults). The file is $XDG_CONFIG_HOME/vortedit/vortedit.ini, or vortedit.ini next
// to the program when that file exists (portable mode).
#pragma once
#include <string>

#include "editor/ui/syntax_elements.h"

namespace vortab::ui {

inline constexpr int kMinFontSize = 7, kMaxFontSize = 30;

struct EditorSettings {
    std::string driverName;
    int fontSize = 0;
    std::string fontName;
    std::string altFontName;
    std::string libraryDirectory;
    bool diffInvariant = false;
    bool diffIgnoreCase = false;
    bool colorSyntax = false;
    bool colorPrint = false;
    bool syntaxPrint = false;
    // Script files and the table texts in generated scripts are read and written in this page.
    int scriptCodePage = 1252;
    ColorTable colors{};
};

// The settings file as described above.
std::string SettingsFilePath();

void DefaultSettings(EditorSettings& settings);
void NormalizeSettings(EditorSettings& settings);
// Defaults, then every value of the file over them, then NormalizeSettings.
void LoadSettings(EditorSettings& settings, const std::string& path = SettingsFilePath());
// False when the file could not be written.
bool SaveSettings(const EditorSettings& settings, const std::string& path = SettingsFilePath());

}  // namespace vortab::ui
