// The about box: the program's version and the versions and paths of the table engine and of
// the script library (or why they are missing).
#pragma once
#include <QString>

#include "shared/identifier_entry.h"

class QWidget;

namespace vortab {
class LibraryBinding;
}

namespace vortab::ui {

QString AboutText(const LibraryBinding& binding, const LibraryInfo* info);
void ShowAboutBox(QWidget* parent, const LibraryBinding& binding, const LibraryInfo* info);

}  // namespace vortab::ui
