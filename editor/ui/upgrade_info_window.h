// TfrmUpgrInfo: the non-modal window that shows a script run as it happens: a line before and
// after every step, a gauge, Abort (the running line finishes; the next report stops the run),
// then Close and saving the output. Closing only hides it, so the last run can be shown again.
// UpgradeProgress is the run's progress callback; it must be called on the interface thread
// (ProgressOnInterfaceThread wraps it for a run on a worker thread).
#pragma once
#include <QDialog>

#include "editor/runner/script_runner.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vortab::ui {

class TfrmUpgrInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmUpgrInfo(QWidget* parent = nullptr);

    void StartUpgrade(const QString& database);
    void FinishUpgrade();
    void AddOutputLine(const QString& text);
    int OutputCount() const;
    bool Aborted() const { return aborted_; }
    bool UpgradeProgress(ProgressRecord& record);

    // The font name the output list takes at the first report of a run.
    void setEditorFontName(const QString& name) { editorFontName_ = name; }
    void showWindow();
    // Writes every output line to path (Windows-1252, one per line); false when it cannot.
    bool SaveOutput(const QString& path) const;

    QListWidget* ListBox1;
    QLabel* Label1;
    QPushButton* btnAbort;
    QProgressBar* Gauge;
    QPushButton* btnSave;

    void reject() override;

private:
    void abortPressed();
    void savePressed();

    bool aborted_ = false;
    bool running_ = false;
    QString editorFontName_;
};

// A callback for a run on a worker thread: each report is handed to window->UpgradeProgress on
// the interface thread while the worker waits.
ProgressCallback ProgressOnInterfaceThread(TfrmUpgrInfo* window);

}  // namespace vortab::ui
