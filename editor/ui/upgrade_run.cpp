#include "editor/ui/upgrade_run.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

#include "editor/ui/password_dialog.h"
#include "editor/ui/ui_thread.h"
#include "editor/ui/upgrade_info_window.h"
#include "shared/text/cp1252.h"

namespace vortab::ui {
namespace {

QString FromCp1252(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

void Finish(TfrmUpgrInfo& window, StatusCode result) {
    if (!window.Aborted()) window.FinishUpgrade();
    if (result == status::kStoppedByUser) window.Label1->setText(QStringLiteral("Operation aborted by user"));
    else if (result > 0) window.Label1->setText(QStringLiteral("There were errors"));
    else if (window.OutputCount() == 0) window.Label1->setText(QStringLiteral("No applicable script lines were found"));
    else window.Label1->setText(QStringLiteral("Script applied successfuly"));
}

}  // namespace

StatusCode RunUpgrade(TfrmUpgrInfo& window, const ScriptRun& run) {
    window.StartUpgrade(FromCp1252(run.database));
    RunHooks hooks;
    hooks.progress = ProgressOnInterfaceThread(&window);
    hooks.passwordPrompt = AskTablePassword;
    hooks.retryLockedLog = [&window] {
        bool retry = false;
        RunOnInterfaceThread([&] {
            retry = QMessageBox::question(&window, window.windowTitle(),
                                          QStringLiteral("Database is being upgraded by other station. Retry?"),
                                          QMessageBox::Yes | QMessageBox::Cancel) == QMessageBox::Yes;
        });
        return retry;
    };
    hooks.warning = [&window](const std::string& text) {
        RunOnInterfaceThread([&] { QMessageBox::warning(&window, window.windowTitle(), FromCp1252(text)); });
    };
    LibraryBinding binding;
    StatusCode result = status::kSuccess;
    try {
        result = RunOffInterfaceThread([&] { return RunScript(binding, run, hooks); });
    } catch (...) {
        Finish(window, status::kExecutionFailure);
        throw;
    }
    Finish(window, result);
    return result;
}

}  // namespace vortab::ui
