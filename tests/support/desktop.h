// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
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

} // namespace velorix::testing
