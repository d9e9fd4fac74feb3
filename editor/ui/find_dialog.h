// FindDialog: the non-modal find box of the main window. It searches downward from the caret,
// with match case and whole word; the window reports a miss.
#pragma once
#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace vortab::ui {

class TKestrel;

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(TKestrel* window);

    QLineEdit* findText;
    QCheckBox* matchCase;
    QCheckBox* wholeWord;

    void findNext();

private:
    TKestrel* window_;
};

}  // namespace vortab::ui
