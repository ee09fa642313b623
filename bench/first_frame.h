#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

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
