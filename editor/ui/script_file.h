// Script files as the editor reads and writes them: Windows-1252 text, lines ended by CR LF
// (a lone LF or CR is read as a line end too). Writing goes to a temporary name that replaces
// the file only once it is complete, so a failed save never loses the old script.
#pragma once
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace vortab::ui {

// The file's text as Unicode; throws std::runtime_error when it cannot be read.
QString ReadScriptFile(const QString& path);
// Throws std::runtime_error when the file cannot be written.
void WriteScriptFile(const QString& path, const QStringList& lines);

// The lines of an editor text (line ends removed).
QStringList SplitLines(const QString& text);
// Lines in Windows-1252, as the library takes them.
std::vector<std::string> ToLibraryLines(const QStringList& lines);
QString FromLibraryText(const std::string& text);

}  // namespace vortab::ui
