// TfrmOptions: the options dialog, page "Preferences" (fonts, font size, library directory,
// differential-script and print switches, the code page of scripts) and page "Color syntax" (TFrmColors, made the first
// time it is shown). EditOptions shows it and copies the choices back on OK.
#pragma once
#include <QDialog>

#include "editor/ui/editor_settings.h"
#include "shared/identifier_entry.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vortab::ui {

class TFrmColors;

inline constexpr const char* kFontSizeMessage = "Editor font size must be integer between 7 and 30";

class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    // info: the bound library's block for the sample's keywords (may be null).
    TfrmOptions(const EditorSettings& settings, const LibraryInfo* info, QWidget* parent = nullptr);

    // Copies the dialog's choices into settings (call after OK).
    void copyBack(EditorSettings& settings) const;
    TFrmColors* colorPage() const { return colors_; }
    void showColorPage();

    QTabWidget* pages;
    QComboBox* cbFont;
    QComboBox* cbAltFont;
    QLineEdit* edFontSize;
    QLineEdit* edLibraryDirectory;
    QPushButton* btnBrowse;
    QCheckBox* cbInvariant;
    QCheckBox* cbIgnoreCase;
    QCheckBox* cbSyntaxPrint;
    QCheckBox* cbColorPrint;
    QComboBox* cbCodePage;

    void accept() override;

private:
    void pageChanged(int index);
    void browseLibrary();

    EditorSettings settings_;
    const LibraryInfo* info_;
    TFrmColors* colors_ = nullptr;
    QWidget* colorHost_ = nullptr;
};

// True when the user pressed OK; settings is then updated.
bool EditOptions(QWidget* parent, EditorSettings& settings, const LibraryInfo* info);

}  // namespace vortab::ui
