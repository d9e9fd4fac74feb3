// vortedit [SCRIPT]: the script editor. Before the window exists it adds the built-in table
// password to the engine session; then it opens the main window, maximised, with the script
// file given on the command line.
#include <QApplication>
#include <QMessageBox>

#include "editor/ui/builtin_password.h"
#include "editor/ui/main_window.h"
#include "editor/ui/program_version.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("vortedit");
    std::string error;
    if (!vortab::ui::AddBuiltInTablePassword(error))
        QMessageBox::critical(nullptr, vortab::ui::ApplicationTitle(), QString::fromStdString(error));
    vortab::ui::TKestrel window;
    if (argc > 1) {
        try {
            window.OpenFile(QString::fromLocal8Bit(argv[1]));
        } catch (const std::exception& e) {
            QMessageBox::critical(&window, vortab::ui::ApplicationTitle(), QString::fromStdString(e.what()));
        }
    }
    window.showMaximized();
    return QApplication::exec();
}
