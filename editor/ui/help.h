// The language reference the editor opens in the desktop's browser: an HTML page generated at
// build time from the identifier table, installed with the program. Every help command names
// an anchor of the page (help_anchors.h); the page opens at it, or a message says it is missing.
#pragma once
#include <QString>
#include <QUrl>
#include <functional>

#include "shared/identifier_entry.h"

class QWidget;

namespace vortab::ui {

// The installed page (../share/doc/vortedit/ beside the program), else the build tree's
// (../editor/help/ beside bin/); empty when neither exists.
QString HelpFilePath();

// The anchor of a help context (15000 the main window, 15007 the options, or an identifier's).
QString HelpContextAnchor(int context);
// Where "Help on command" goes for a word of a script: the entry of a name of the library's
// chain or of a symbolic constant, else the keyword index.
QString HelpAnchorForWord(const QString& word, const LibraryInfo* info);

// Opens the page at the anchor (empty: at its top) in the desktop's browser; when the page is
// missing or no browser opens it, says so over parent. False when nothing was opened.
bool ShowHelp(QWidget* parent, const QString& anchor);

// How the page is opened and where it is; tests record the URL instead of starting a browser.
// A null opener restores the desktop's browser, an empty path the search above.
using HelpOpener = std::function<bool(const QUrl&)>;
void SetHelpOpener(HelpOpener opener);
void SetHelpFile(const QString& path);

}  // namespace vortab::ui
