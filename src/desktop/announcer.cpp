// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/announcer.h"

#include "desktop/accessible.h"
#include "desktop/main_window.h"
#include "window/accessibility.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>

namespace velorix {

void Announcer::pressed(Ctl button) {
    for (const SpokenResult& row : kSpokenResults) {
        if (std::ranges::find(row.buttons, button) != row.buttons.end()) {
            pend(row.result);
        }
    }
}

void Announcer::mirrored(Ctl c) {
    const bool result = std::ranges::any_of(
        kSpokenResults, [c](const SpokenResult& row) { return row.result == c; });
    // The field being typed in speaks for itself.
    if (result && window_.isVisible() && !window_.widget(c)->hasFocus()) {
        pend(c);
    }
}

void Announcer::pend(Ctl result) {
    if (announcement_ == nullptr) {
        announcement_ = new Announcement(&window_);
    }
    if (pending_.none()) {
        QTimer::singleShot(0, announcement_, [this] { speak(); });
    }
    pending_.set(index(result));
}

void Announcer::speak() {
    QStringList parts;
    for (const SpokenResult& row : kSpokenResults) {
        if (pending_.test(index(row.result))) {
            const std::string spoken = spokenResult(row, window_.form().text(row.result));
            if (!spoken.empty()) {
                parts << QString::fromStdString(spoken);
            }
        }
    }
    pending_.reset();
    // A failure's message box speaks for itself; an old value would only talk over it.
    if (!parts.isEmpty() && QApplication::activeModalWidget() == nullptr) {
        announcement_->say(parts.join(QStringLiteral(", ")));
    }
}

} // namespace velorix
