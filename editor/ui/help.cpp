#include "editor/ui/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QStandardPaths>

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

// Desktop launchers (xdg-open) open a local file without its fragment. With an anchor the
// browser gets a small page in the user's cache that forwards to the anchor.
bool OpenInBrowser(const QUrl& url) {
    if (!url.hasFragment()) return QDesktopServices::openUrl(url);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QSaveFile forward(folder + QStringLiteral("/help-topic.html"));
    const QString target = url.toString(QUrl::FullyEncoded).toHtmlEscaped();
    const QString page = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                                        "<meta http-equiv=\"refresh\" content=\"0; url=%1\">"
                                        "<title>VORTAB script language reference</title></head>\n"
                                        "<body><p><a href=\"%1\">VORTAB script language reference</a></p></body></html>\n")
                             .arg(target);
    if (!QDir().mkpath(folder) || !forward.open(QIODevice::WriteOnly) || forward.write(page.toUtf8()) < 0 ||
        !forward.commit())
        return QDesktopServices::openUrl(url);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(forward.fileName()));
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
    const bool opened = Opener() ? Opener()(url) : OpenInBrowser(url);
    if (!opened)
        QMessageBox::warning(parent, ApplicationTitle(),
                             QStringLiteral("No web browser could open the language reference %1").arg(path));
    return opened;
}

}  // namespace vortab::ui
