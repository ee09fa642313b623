// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/user.h"
#include "window/form.h"

#include <QTest>

#include <string>
#include <string_view>

namespace velorix::testing {

// A started window (Load has run) and a user at it, on one locale.
struct Session {
    explicit Session(const QByteArray& separator)
        : form(NumberFormat{separator.toStdString()})
        , user(form) {
        if (form.load()) {
            qFatal("Load failed with the default texts");
        }
    }

    // A German text in this session's locale: "1,23" becomes "1.23" on an English one.
    std::string local(std::string_view german) const {
        std::string out;
        for (char c : german) {
            if (c == ',') {
                out += form.numberFormat().decimalSeparator;
            } else {
                out += c;
            }
        }
        return out;
    }

    // The acceleration rating typed in again as 10, so that Amax is 40, and the speed set.
    void vehicleAt(const char* speed) {
        user.replace(Ctl::txtAFzg, "10");
        user.replace(Ctl::txtV, speed);
    }

    const std::string& text(Ctl c) const { return form.text(c); }
    const VehicleState& state() const { return form.state(); }

    Form form;
    User user;
};

// Every behaviour test runs on a German and an English locale: a "separator" column.
inline void addLocaleColumn() {
    QTest::addColumn<QByteArray>("separator");
}

inline void addLocaleRows() {
    addLocaleColumn();
    QTest::newRow("de") << QByteArray(",");
    QTest::newRow("en") << QByteArray(".");
}

// Adds the row on both locales; the caller streams the rest of the row.
inline QTestData& localeRow(bool german, const char* name) {
    return QTest::addRow("%s: %s", german ? "de" : "en", name) << QByteArray(german ? "," : ".");
}

} // namespace velorix::testing

namespace QTest {
template <>
inline char* toString(const std::string& text) {
    return qstrdup(text.c_str());
}
} // namespace QTest

// The session of the current data row.
#define VELORIX_SESSION(name)                                                                      \
    QFETCH(QByteArray, separator);                                                                 \
    velorix::testing::Session name(separator)
