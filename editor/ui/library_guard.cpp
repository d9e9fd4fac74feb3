#include "editor/ui/library_guard.h"

#include <QMessageBox>

#include "editor/help/help_anchors.h"
#include "editor/ui/help.h"

namespace vortab::ui {

bool RequireLibrary(QWidget* parent, const LibraryBinding& binding) {
    if (binding.RequireLibrary()) return true;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("vortedit"), QString::fromLatin1(kLibraryMissingText),
                    QMessageBox::Ok | QMessageBox::Help, parent);
    box.setDefaultButton(QMessageBox::Ok);
    // Help shows the options topic, where the library's folder is set.
    if (box.exec() == QMessageBox::Help) ShowHelp(parent, HelpContextAnchor(help::kOptionsContext));
    return false;
}

}  // namespace vortab::ui
