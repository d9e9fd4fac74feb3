#include "editor/ui/library_guard.h"

#include <QMessageBox>

namespace vortab::ui {

bool RequireLibrary(QWidget* parent, const LibraryBinding& binding) {
    if (binding.RequireLibrary()) return true;
    QMessageBox::critical(parent, QStringLiteral("vortedit"), QString::fromLatin1(kLibraryMissingText));
    return false;
}

}  // namespace vortab::ui
