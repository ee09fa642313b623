// SPDX-License-Identifier: GPL-3.0-or-later
// Velorix started as the program starts it, ending after its first frame. Prints the window's
// size, for the bare window to match.
#include "desktop/main_window.h"
#include "first_frame.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(VELORIX_APP_ID));
    velorix::MessageBoxReporter reporter;
    velorix::MainWindow window(velorix::systemNumberFormat(), reporter);
    QuitAfterFirstFrame quit(window);
    window.show();
    const int status = QApplication::exec();
    std::printf("%d %d\n", window.width(), window.height());
    return status;
}
