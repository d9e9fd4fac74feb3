#include "editor/ui/script_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

#include "shared/text/code_pages.h"
#include "shared/text/cp1252.h"

namespace vortab::ui {
namespace {

std::uint16_t scriptCodePage = 1252;

}  // namespace

void SetScriptCodePage(std::uint16_t codePage) { scriptCodePage = IsKnownCodePage(codePage) ? codePage : 1252; }

std::uint16_t ScriptCodePage() { return scriptCodePage; }

std::string ToScriptBytes(const QString& text) { return Utf8ToCodePage(text.toStdString(), scriptCodePage); }

QString FromScriptBytes(const std::string& bytes) { return QString::fromStdString(TextDecoder(scriptCodePage).toUtf8(bytes)); }

QString ReadScriptFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot open file " + path.toStdString() + ": " + file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    return FromScriptBytes(bytes.toStdString());
}

void WriteScriptFile(const QString& path, const QStringList& lines) {
    std::string bytes;
    for (const QString& line : lines) bytes += ToScriptBytes(line) + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0 ||
        !CommitDurably(file))
        throw std::runtime_error("Cannot write file " + path.toStdString() + ": " + file.errorString().toStdString());
}

bool CommitDurably(QSaveFile& file) {
    // QSaveFile syncs its temporary file before the rename but ignores a failed sync: the file
    // is synced here first, so that a failing disk keeps the old file instead of a torn new one.
    if (!file.flush() || (file.handle() >= 0 && ::fsync(file.handle()) != 0)) {
        file.cancelWriting();  // the temporary file goes with the object; the target stays as it was
        return false;
    }
    if (!file.commit()) return false;
    const QByteArray directory = QFile::encodeName(QFileInfo(file.fileName()).absolutePath());
    const int fd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

QStringList SplitLines(const QString& text) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineEnd);
    // A text that ends with a line end has no further line after it.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

std::vector<std::string> ToLibraryLines(const QStringList& lines) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(lines.size()));
    for (const QString& line : lines) out.push_back(ToScriptBytes(line));
    return out;
}

QString FromLibraryText(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

}  // namespace vortab::ui
