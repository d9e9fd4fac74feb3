// MainWindow: the editor's frame. At start it loads the settings (and saves them back at once),
// binds the library from the settings' directory and builds the highlighter; after the options
// dialog it saves and applies them again. It holds the script control and the dialogs that the
// commands share.
#pragma once
#include <QMainWindow>
#include <memory>

#include "editor/runner/library_binding.h"
#include "editor/ui/editor_settings.h"
#include "editor/ui/vortab_lexer.h"

namespace vortab::ui {

class ScriptEditor;
class TfrmUpgrInfo;
class TFrmSelDatabase;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    const EditorSettings& settings() const { return settings_; }
    const LibraryInfo* libraryInfo() const { return libraryInfo_; }
    const LibraryBinding& library() const { return binding_; }
    ScriptEditor* scriptEditor() const { return editor_; }
    TfrmUpgrInfo* upgradeInfo();
    TFrmSelDatabase* databaseSelection();

    // Rebinds the library from the settings' directory and rebuilds the highlighter.
    void applyOptions();
    void editOptions();
    // Loads a script file (Windows-1252) into the control; false when it cannot be read.
    bool openScript(const QString& path);

private:
    void buildMenus();

    EditorSettings settings_;
    LibraryBinding binding_;
    const LibraryInfo* libraryInfo_ = nullptr;
    std::unique_ptr<TVORTABHighlighter> lexer_;
    ScriptEditor* editor_ = nullptr;
    TfrmUpgrInfo* upgradeInfo_ = nullptr;
    std::unique_ptr<TFrmSelDatabase> selection_;
};

}  // namespace vortab::ui
