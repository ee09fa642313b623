// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>

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

} // namespace velorix::testing
