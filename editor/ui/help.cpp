#include "editor/ui/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include "editor/help/help_anchors.h"
#include "editor/ui/constant_keywords.h"
#include "editor/ui/program_version.h"

namespace vortab::ui {
namespace {

HelpOpener& Opener() {
    static HelpOpener opener;
    return opener;
}

QString& FileOverride() {
    static QString path;
    return path;
}

bool IsConstant(const std::string& word) {
    for (const KeywordFamily& family : ConstantKeywordFamilies())
        for (const std::string& w : family.words)
            if (w == word) return true;
    return false;
}

QStringList HelpFileCandidates() {
    if (!FileOverride().isEmpty()) return {FileOverride()};
    const QString name = QString::fromLatin1(help::kReferenceFileName);
    const QString program = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/..");
    return {program + "/share/doc/vortedit/" + name, program + "/editor/help/" + name};
}

}  // namespace

void SetHelpOpener(HelpOpener opener) { Opener() = std::move(opener); }
void SetHelpFile(const QString& path) { FileOverride() = path; }

QString HelpFilePath() {
    for (const QString& candidate : HelpFileCandidates())
        if (QFileInfo::exists(candidate)) return QFileInfo(candidate).canonicalFilePath();
    return {};
}

QString HelpContextAnchor(int context) { return QString::fromStdString(help::ContextAnchor(context)); }

QString HelpAnchorForWord(const QString& word, const LibraryInfo* info) {
    const std::string name = word.trimmed().toUpper().toLatin1().toStdString();
    bool known = IsConstant(name);
    for (const IdentifierEntry* e = info ? info->chain : nullptr; e && !known; e = e->next) known = name == e->name;
    return QString::fromStdString(known ? help::NameAnchor(name) : help::kIndexAnchor);
}

bool ShowHelp(QWidget* parent, const QString& anchor) {
    const QString path = HelpFilePath();
    if (path.isEmpty()) {
        QMessageBox::warning(parent, ApplicationTitle(), QStringLiteral("The language reference is not installed (looked for %1)")
                                 .arg(HelpFileCandidates().join(QStringLiteral(" and "))));
        return false;
    }
    QUrl url = QUrl::fromLocalFile(path);
    if (!anchor.isEmpty()) url.setFragment(anchor);
    const bool opened = Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
    if (!opened)
        QMessageBox::warning(parent, ApplicationTitle(),
                             QStringLiteral("No web browser could open the language reference %1").arg(path));
    return opened;
}

}  // namespace vortab::ui
