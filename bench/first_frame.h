// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>
#include <QWidget>

#include <cstdlib>

// Ends the event loop once the watched window has painted its first frame: the quit is queued
// behind the paint, so the frame reaches the screen first.
class QuitAfterFirstFrame : public QObject {
public:
    explicit QuitAfterFirstFrame(QWidget& window)
        : QObject(&window) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                      Qt::QueuedConnection);
        }
        return false;
    }
};

// The comparison windows: titled and sized like Velorix's, from "WIDTH HEIGHT" on the command
// line. False when the arguments are not two sizes.
inline bool setUpComparisonWindow(QWidget& window, int argc, char* argv[]) {
    if (argc != 3) {
        return false;
    }
    window.setWindowTitle(QStringLiteral("Velorix"));
    window.resize(std::atoi(argv[1]), std::atoi(argv[2]));
    return true;
}
