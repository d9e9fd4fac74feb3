// TFormPswd: the modal prompt for the master password of a protected table, and the prompt
// function a script run hands to the library. It may be called from a worker thread; the
// dialog always runs on the user-interface thread.
#pragma once
#include <QDialog>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vortab::ui {

inline constexpr int kMaxPasswordLength = 15;

class TFormPswd : public QDialog {
    Q_OBJECT
public:
    explicit TFormPswd(const QString& table, QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* btnOK;
    QPushButton* btnAbort;
};

// Shows TFormPswd for the table (Windows-1252 name). The password in Windows-1252, or nothing
// for Abort or an empty text.
std::optional<std::string> AskTablePassword(const std::string& table);

}  // namespace vortab::ui
