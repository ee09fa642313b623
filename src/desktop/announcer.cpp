// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/announcer.h"

#include "desktop/accessible.h"
#include "desktop/main_window.h"
#include "window/accessibility.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include <algorithm>

namespace velorix {

void Announcer::mirrored(Ctl c) {
    QWidget* w = window_.widget(c);
    // A button that works a result out says it even when it comes out as before.
    if (auto* button = qobject_cast<QAbstractButton*>(w); button && !listening_.test(index(c))) {
        listening_.set(index(c));
        for (const SpokenResult& row : kSpokenResults) {
            if (std::ranges::find(row.buttons, c) != row.buttons.end()) {
                QObject::connect(button, &QAbstractButton::clicked, button,
                                 [this, result = row.result] { pend(result); });
            }
        }
        return;
    }
    const bool result = std::ranges::any_of(
        kSpokenResults, [c](const SpokenResult& row) { return row.result == c; });
    // The field being typed in speaks for itself.
    if (result && window_.isVisible() && !w->hasFocus()) {
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
