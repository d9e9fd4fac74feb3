// Script files as the editor reads and writes them: 8-bit text in the script code page (Windows-1252
// unless the user chose another), lines ended by CR LF
// (a lone LF or CR is read as a line end too). Writing goes to a temporary name that is synced
// and then replaces the file, and the directory is synced after the rename: a failed save, or a
// power cut at any moment, leaves the old script or the new one, whole.
#pragma once
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <cstdint>
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
// The code page of script text: script files, the lines given to the library, the scripts it
// generates (whose table texts come as the tables hold them) and the lines it reports back. Users
// whose tables hold Cyrillic, Greek or Central-European text in a table said to be Windows-1252
// choose their own page here to see and write that text. Unknown pages fall back to 1252.
void SetScriptCodePage(std::uint16_t codePage);
std::uint16_t ScriptCodePage();
// Script text between the editor (Unicode) and the library's bytes in the script code page;
// characters the page lacks become "?".
std::string ToScriptBytes(const QString& text);
QString FromScriptBytes(const std::string& bytes);
// Script lines in the script code page, as the library takes them.
std::vector<std::string> ToLibraryLines(const QStringList& lines);
// Names and messages of the library (Windows-1252, whatever the script code page).
QString FromLibraryText(const std::string& text);

}  // namespace vortab::ui
