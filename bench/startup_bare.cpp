// The baseline: an empty window of the given size, ending after its first frame.
//   startup_bare WIDTH HEIGHT
#include "first_frame.h"

#include <QApplication>
#include <QWidget>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        return 2;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("Velorix"));
    window.resize(std::atoi(argv[1]), std::atoi(argv[2]));
    QuitAfterFirstFrame quit(window);
    window.show();
    return QApplication::exec();
}
