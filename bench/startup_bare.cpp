// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline: an empty window of the given size, ending after its first frame.
//   startup_bare WIDTH HEIGHT
#include "first_frame.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    if (!setUpComparisonWindow(window, argc, argv)) {
        return 2;
    }
    QuitAfterFirstFrame quit(window);
    window.show();
    return QApplication::exec();
}
