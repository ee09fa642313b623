#include "window/main_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    velorix::MessageBoxReporter reporter;
    velorix::MainWindow window(velorix::systemNumberFormat(), reporter);
    window.show();
    return QApplication::exec();
}
