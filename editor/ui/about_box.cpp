#include "editor/ui/about_box.h"

#include <dlfcn.h>

#include <QMessageBox>

#include "editor/runner/library_binding.h"
#include "editor/ui/program_version.h"
#include "paradox/api/session.h"

namespace vortab::ui {
namespace {

// The file a loaded symbol comes from.
QString ModulePath(const void* symbol) {
    Dl_info info{};
    if (!symbol || dladdr(symbol, &info) == 0 || !info.dli_fname) return {};
    return QString::fromLocal8Bit(info.dli_fname);
}

}  // namespace

QString AboutText(const LibraryBinding& binding, const LibraryInfo* info) {
    const ProgramVersion v = ProgramFileVersion();
    const paradox::api::EngineVersion e = paradox::api::LoadedEngineVersion();
    QString text = ApplicationTitle() + QStringLiteral("\n\nProgram version %1.%2.%3.%4\n")
                                            .arg(v.major).arg(v.minor).arg(v.release).arg(v.build);
    const QString engine = ModulePath(reinterpret_cast<const void*>(&paradox::api::LoadedEngineVersion));
    text += QStringLiteral("\nDatabase engine version %1.%2.%3.%4\n%5\n")
                .arg(e.major).arg(e.minor).arg(e.release).arg(e.build)
                .arg(engine.isEmpty() ? QStringLiteral("NOT LOADED") : engine);
    if (info && binding.getInfo)
        text += QStringLiteral("\nScript library interface version %1\n%2\n")
                    .arg(info->version)
                    .arg(ModulePath(reinterpret_cast<const void*>(binding.getInfo)));
    else
        text += QStringLiteral("\nScript library: Unable to load\n");
    return text;
}

void ShowAboutBox(QWidget* parent, const LibraryBinding& binding, const LibraryInfo* info) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("About"), AboutText(binding, info), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.exec();
}

}  // namespace vortab::ui
