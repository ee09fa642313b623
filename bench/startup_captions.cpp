// SPDX-License-Identifier: GPL-3.0-or-later
// For comparison only: the bare window plus one label that shows every caption of Velorix's
// layout, so that the cost of drawing text at all can be told from the cost of Velorix.
//   startup_captions WIDTH HEIGHT
#include "desktop/qt_text.h"
#include "first_frame.h"
#include "window/layout.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    if (!setUpComparisonWindow(window, argc, argv)) {
        return 2;
    }
    QString captions;
    for (const velorix::ControlSpec& row : velorix::kLayout) {
        captions += velorix::qt(row.text);
        captions += QLatin1Char('\n');
    }
    QLabel label(captions, &window);
    label.setTextFormat(Qt::PlainText);
    QuitAfterFirstFrame quit(window);
    window.show();
    return QApplication::exec();
}
