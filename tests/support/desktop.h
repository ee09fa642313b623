// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <functional>

namespace velorix::testing {

// How long a test waits for something that must happen (a window shown and given the keyboard,
// a key arriving): long enough for the sanitizer build on a busy machine, reached only by a hang.
inline constexpr int kHang = 60'000; // ms

// Waits until the window is shown and the window system has made it the active one. QTest's own
// wait gives up at once where the toolkit cannot ask for that (Wayland with Qt 6.4), though the
// compositor activates a new window by itself.
[[nodiscard]] inline bool waitUntilActive(const QWidget& window) {
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, kHang);
}

// When the test function that has just run failed, keeps a picture of each window on screen in
// the folder its runner keeps for a failure (VELORIX_EVIDENCE, see keep-evidence) and prints
// where. Called from cleanup(), while the windows are still there.
inline void keepPicturesOfAFailure() {
    const QString folder = qEnvironmentVariable("VELORIX_EVIDENCE");
    if (!QTest::currentTestFailed() || folder.isEmpty()) {
        return;
    }
    QString name = QString::fromLatin1(QTest::currentTestFunction());
    if (const char* tag = QTest::currentDataTag()) {
        name += '-' + QString::fromUtf8(tag).replace(QRegularExpression("[^A-Za-z0-9.]+"), "_");
    }
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) {
            continue;
        }
        const QString path =
            QStringLiteral("%1/%2%3.png").arg(folder, name, count ? QString("-%1").arg(count) : "");
        if (window->grab().save(path)) {
            qInfo("The window at the failure: %s", qPrintable(path));
        }
        ++count;
    }
}

// Keys as a user presses them. Unless told otherwise they are QTest's events, handed to a widget
// inside the program. With VELORIX_TEST_KEYS=wtype, as in the Wayland session, they are typed
// through the compositor's virtual keyboard and take a user's way: the compositor's keyboard
// focus, the platform's key map, the toolkit's focus. Each call returns once the window has
// handled the release of each of its keys, or once `done` holds where that is given: a key that
// opens or closes a modal report loses its release to a window that is blocked or gone.
class Keyboard : public QObject {
public:
    using Done = std::function<bool()>;

    Keyboard() {
        if (real()) {
            qApp->installEventFilter(this);
        }
    }
    static bool real() { return qEnvironmentVariable("VELORIX_TEST_KEYS") == "wtype"; }

    // In the program, the key goes to `to`, else to the focused widget.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, QWidget* to = nullptr,
               const Done& done = {}) {
        if (!real()) {
            QTest::keyClick(to ? to : QApplication::focusWidget(), key, modifiers);
            return;
        }
        // Control is the only modifier the tests use.
        const QStringList control =
            modifiers.testFlag(Qt::ControlModifier) ? QStringList{"ctrl"} : QStringList{};
        QStringList args;
        for (const QString& modifier : control) {
            args << "-M" << modifier;
        }
        args << "-k" << keyName(key);
        for (const QString& modifier : control) {
            args << "-m" << modifier;
        }
        send(args, {key}, done);
    }
    void type(const QString& text, QWidget* to = nullptr, const Done& done = {}) {
        if (!real()) {
            QTest::keyClicks(to ? to : QApplication::focusWidget(), text);
            return;
        }
        QList<int> keys;
        for (QChar c : text) {
            keys << c.toUpper().unicode(); // Qt's key codes of the printable characters
        }
        send({"--", text}, keys, done);
    }

private:
    static QString keyName(Qt::Key key) {
        switch (key) {
        case Qt::Key_Tab:
            return "Tab";
        case Qt::Key_Space:
            return "space";
        case Qt::Key_Return:
            return "Return";
        case Qt::Key_Up:
            return "Up";
        case Qt::Key_Down:
            return "Down";
        case Qt::Key_Backspace:
            return "BackSpace";
        default:
            // Letters, for the shortcuts.
            return QKeySequence(key).toString().toLower();
        }
    }

    // A key is released once, at the window that has the keyboard; it counts once the release
    // has been handled, from the event loop. A stray release of some other key does not count.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease && qobject_cast<QWindow*>(watched)) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            QMetaObject::invokeMethod(
                this, [this, key] { waiting_.removeOne(key); }, Qt::QueuedConnection);
        }
        return false;
    }

    // A failure fails the test function; its later keys are then not sent, so that it ends at
    // its next check instead of waiting again.
    void send(const QStringList& args, const QList<int>& keys, const Done& done) {
        if (QTest::currentTestFailed()) {
            return;
        }
        waiting_ = keys;
        QProcess wtype;
        wtype.setProcessChannelMode(QProcess::ForwardedChannels);
        wtype.start("wtype", args);
        const QString what = "wtype " + args.join(' ');
        const Done handled = done ? done : [this] {
            return waiting_.isEmpty();
        };
        if (!wtype.waitForFinished(kHang) || wtype.exitStatus() != QProcess::NormalExit ||
            wtype.exitCode() != 0) {
            QTest::qFail(qPrintable(what + " failed"), __FILE__, __LINE__);
        } else if (!QTest::qWaitFor(handled, kHang)) {
            QTest::qFail(qPrintable(what + ": the keys never reached the window"), __FILE__,
                         __LINE__);
        }
    }

    QList<int> waiting_;
};

} // namespace velorix::testing
