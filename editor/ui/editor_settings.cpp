#include "editor/ui/editor_settings.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "editor/runner/library_binding.h"
#include "editor/ui/ini_document.h"
#include "shared/text/code_pages.h"

namespace vortab::ui {
namespace {

constexpr const char* kOptions = "OPTIONS";
constexpr const char* kColors = "COLORS";

std::string ProgramDirectory() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

}  // namespace

std::string SettingsFilePath() {
    const std::string program = ProgramDirectory();
    std::error_code ec;
    if (!program.empty() && std::filesystem::exists(program + "/vortedit.ini", ec))
        return program + "/vortedit.ini";
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home) config = std::string(home) + "/.config";
    else config = ".";
    return config + "/vortedit/vortedit.ini";
}

void DefaultSettings(EditorSettings& s) {
    s.driverName = "PARADOX";
    s.fontSize = 8;
    s.fontName = "Arial";
    s.altFontName = "Courier New";
    s.libraryDirectory = DefaultLibraryDirectory();
    s.diffInvariant = true;
    s.diffIgnoreCase = false;
    s.colorSyntax = true;
    s.colorPrint = false;
    s.syntaxPrint = false;
    s.scriptCodePage = 1252;
    s.colors = DefaultColors();
}

void NormalizeSettings(EditorSettings& s) {
    s.fontSize = std::clamp(s.fontSize, kMinFontSize, kMaxFontSize);
    for (ColorEntry& c : s.colors)
        if (c.style & ~kStyleMask) c.style = 0;
    if (!s.syntaxPrint) s.colorPrint = false;
    if (s.scriptCodePage < 0 || s.scriptCodePage > 0xFFFF || !IsKnownCodePage(static_cast<std::uint16_t>(s.scriptCodePage)))
        s.scriptCodePage = 1252;
}

void LoadSettings(EditorSettings& s, const std::string& path) {
    DefaultSettings(s);
    const IniDocument ini = IniDocument::Load(path);
    const long long size = ini.integer(kOptions, "FONTSZ", s.fontSize);
    s.fontSize = static_cast<int>(std::clamp<long long>(size, kMinFontSize, kMaxFontSize));
    s.fontName = ini.text(kOptions, "FONT", s.fontName);
    s.altFontName = ini.text(kOptions, "ALTFONT", s.altFontName);
    s.libraryDirectory = ini.text(kOptions, "DLLPATH", s.libraryDirectory);
    s.diffInvariant = ini.boolean(kOptions, "DIFF_INVARIANT", s.diffInvariant);
    s.diffIgnoreCase = ini.boolean(kOptions, "DIFF_IGNORECASE", s.diffIgnoreCase);
    s.colorSyntax = ini.boolean(kOptions, "COLORSYNTAX", s.colorSyntax);
    s.syntaxPrint = ini.boolean(kOptions, "SYNTAXPRINT", s.syntaxPrint);
    s.colorPrint = ini.boolean(kOptions, "COLORPRINT", s.colorPrint);
    s.scriptCodePage = static_cast<int>(std::clamp<long long>(ini.integer(kOptions, "CODEPAGE", s.scriptCodePage), 0, 0xFFFF));
    for (int i = 0; i < kElementCount; ++i) {
        const std::string code = SyntaxElements()[i].code;
        ColorEntry& c = s.colors[i];
        c.style = static_cast<std::uint8_t>(ini.integer(kColors, code + "FN", c.style) & 0xFF);
        c.background = static_cast<std::int32_t>(ini.integer(kColors, code + "BG", c.background));
        c.foreground = static_cast<std::int32_t>(ini.integer(kColors, code + "FG", c.foreground));
    }
    NormalizeSettings(s);
}

bool SaveSettings(const EditorSettings& s, const std::string& path) {
    IniDocument ini = IniDocument::Load(path);
    ini.setInteger(kOptions, "FONTSZ", s.fontSize);
    ini.set(kOptions, "FONT", s.fontName);
    ini.set(kOptions, "ALTFONT", s.altFontName);
    ini.set(kOptions, "DLLPATH", s.libraryDirectory);
    ini.setBoolean(kOptions, "DIFF_INVARIANT", s.diffInvariant);
    ini.setBoolean(kOptions, "DIFF_IGNORECASE", s.diffIgnoreCase);
    ini.setBoolean(kOptions, "COLORSYNTAX", s.colorSyntax);
    ini.setBoolean(kOptions, "SYNTAXPRINT", s.syntaxPrint);
    ini.setBoolean(kOptions, "COLORPRINT", s.colorPrint);
    ini.setInteger(kOptions, "CODEPAGE", s.scriptCodePage);
    ini.eraseSection(kColors);
    const ColorTable defaults = DefaultColors();
    for (int i = 0; i < kElementCount; ++i) {
        if (s.colors[i] == defaults[i]) continue;
        const std::string code = SyntaxElements()[i].code;
        ini.setInteger(kColors, code + "FN", s.colors[i].style);
        ini.setInteger(kColors, code + "BG", s.colors[i].background);
        ini.setInteger(kColors, code + "FG", s.colors[i].foreground);
    }
    return ini.Save();
}

}  // namespace vortab::ui
