#include "editor/ui/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace vortab::ui {

QString HelpFilePath() {
    const QString program = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {program + QStringLiteral("/../share/doc/vortedit/vortab-reference.html"),
                                     program + QStringLiteral("/../editor/help/vortab-reference.html")})
        if (QFileInfo::exists(candidate)) return QFileInfo(candidate).canonicalFilePath();
    return {};
}

QString HelpAnchor(const QString& keyword) { return keyword.trimmed().toUpper(); }

bool OpenHelp(const QString& anchor) {
    const QString path = HelpFilePath();
    if (path.isEmpty()) return false;
    QUrl url = QUrl::fromLocalFile(path);
    if (!anchor.isEmpty()) url.setFragment(anchor);
    return QDesktopServices::openUrl(url);
}

}  // namespace vortab::ui
