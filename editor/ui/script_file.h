// Script files as the editor reads and writes them: Windows-1252 text, lines ended by CR LF
// (a lone LF or CR is read as a line end too). Writing goes to a temporary name that is synced
// and then replaces the file, and the directory is synced after the rename: a failed save, or a
// power cut at any moment, leaves the old script or the new one, whole.
#pragma once
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace vortab::ui {

// The file's text as Unicode; throws std::runtime_error when it cannot be read.
QString ReadScriptFile(const QString& path);
// Throws std::runtime_error when the file cannot be written.
void WriteScriptFile(const QString& path, const QStringList& lines);

// Commits a save file: its data synced (a failed sync keeps the old file), renamed into place,
// and its directory synced, so that the rename itself survives a power cut. False, with the
// file's error, when any of them fails.
bool CommitDurably(QSaveFile& file);

// The lines of an editor text (line ends removed).
QStringList SplitLines(const QString& text);
// Lines in Windows-1252, as the library takes them.
std::vector<std::string> ToLibraryLines(const QStringList& lines);
QString FromLibraryText(const std::string& text);

}  // namespace vortab::ui
