// vortedit [SCRIPT]: loads the settings, binds the library and opens the main window, with the
// script file given on the command line.
#include <QApplication>

#include "editor/ui/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("vortedit");
    vortab::ui::MainWindow window;
    if (argc > 1) window.openScript(QString::fromLocal8Bit(argv[1]));
    window.show();
    return QApplication::exec();
}
