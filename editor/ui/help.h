// The language reference the editor opens in the desktop's browser: an HTML page generated at
// build time from the identifier table, installed next to the program's data. Help contexts of
// the identifier entries and command names map to the page's anchors.
#pragma once
#include <QString>

namespace vortab::ui {

// The installed page, else the build tree's; empty when neither exists.
QString HelpFilePath();
// The anchor of a command or function name ("" for the contents).
QString HelpAnchor(const QString& keyword);
// Opens the page at the anchor; false when there is no page or no browser.
bool OpenHelp(const QString& anchor);

}  // namespace vortab::ui
