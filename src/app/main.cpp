// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/main_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    velorix::installGermanToolkitTexts(app);
    // Ties the window to its desktop entry, for the icon and name a desktop shows for it.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELORIX_APP_ID));
    velorix::MessageBoxReporter reporter;
    velorix::MainWindow window(velorix::systemNumberFormat(), reporter);
    window.show();
    return QApplication::exec();
}
