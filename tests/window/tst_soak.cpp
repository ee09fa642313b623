// SPDX-License-Identifier: GPL-3.0-or-later
// A long random session: keystrokes of valid, boundary and hostile texts into every field,
// clicks on every button and option, fields cleared, on both locales. After every single
// action the window must still be in a sound state.
#include "support/session.h"

#include <QTest>

#include <cmath>
#include <cstdlib>
#include <deque>
#include <random>
#include <sstream>

using namespace velorix;
using namespace velorix::testing;
using enum Ctl;

namespace {

// Texts in German form; "," becomes the locale's separator, "." stays the other one.
const char* const kValid[] = {"0",         "1",
                              "2",         "3",
                              "5",         "10",
                              "20",        "60",
                              "100",       "150",
                              "-1",        "-10",
                              "0,4",       "0,5",
                              "0,6",       "2,5",
                              "3,5",       "-2,5",
                              "5,",        ",5",
                              "007",       "70",
                              "14",        "1,23",
                              "1,88",      "93",
                              "142,8571",  "8191",
                              "8192",      "-8192",
                              "-8193",     "21844",
                              "21845",     "-21845",
                              "-21846",    "32767",
                              "32768",     "-32768",
                              "-32769",    "32767,5",
                              "-32768,5",  "40000",
                              "1E+07",     "1,234568E+08",
                              "5E-05",     "3,402823E+38",
                              "3,5E+38",   "1,401298E-45",
                              "1e-50",     "4,4E+36",
                              "1E+37",     "99999999999999999999",
                              "0,0000001", " 12 ",
                              "1\t"};
const char* const kHostile[] = {"1,5e",  "1e+",          "-",        "+",   ",",   " ",
                                "1 2",   "1.5",          "1.000,5",  "inf", "nan", "-Infinity",
                                "0x10",  "0x1p3",        "abc",      "+-1", "--1", "1-",
                                "1e2,5", "\xef\xbc\x91", "\xc3\xa4", "\t"};

const Ctl kFields[] = {txtAFzg,         txtVFzg,          txtV,      txtBremsDiff,
                       txtErfolgeBrems, txtErfolgeBeschl, txtRadius, txtGForce,
                       txtGForceMK,     txtErfolgeKurve,  txtPHI};
const Ctl kClickable[] = {cmdAccel, cmdCalcMWBrake, cmdBrake, cmdCalcMWTURN,
                          cmdTurn,  optRadius,      optGForce};

// Far below the window's own limit: reaching it would mean a chain grew.
constexpr int kChainBound = 12;

class Soak {
public:
    Soak(const QByteArray& separator, std::uint32_t seed)
        : session_(separator)
        , random_(seed) {}

    // Runs `actions` user actions; returns an empty string, or what went wrong and how to
    // replay it.
    std::string run(int actions) {
        while (actions_ < actions) {
            std::string problem = act();
            if (problem.empty()) {
                problem = checkInvariants();
            }
            if (!problem.empty()) {
                std::ostringstream out;
                out << "action " << actions_ << ": " << problem << "\nlast actions:";
                for (const std::string& a : log_) {
                    out << "\n  " << a;
                }
                return out.str();
            }
        }
        return {};
    }

    int failures() const { return failures_; }
    int manoeuvres() const { return manoeuvres_; }

private:
    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[random_() % N];
    }

    void note(std::string action) {
        log_.push_back(std::move(action));
        if (log_.size() > 12) {
            log_.pop_front();
        }
    }

    // One user action; a keystroke is one action of its own.
    std::string act() {
        const unsigned what = random_() % 100;
        if (what < 45) {
            return typeSomewhere();
        }
        if (what < 55) {
            const Ctl field = pick(kFields);
            note("clear " + std::string(layoutRow(field).name));
            return deliver(field, "");
        }
        if (what < 60) {
            const Ctl field = pick(kFields);
            std::string text = form().text(field);
            if (!text.empty()) {
                text.pop_back(); // may split a UTF-8 character, as a hostile paste could
            }
            note("backspace " + std::string(layoutRow(field).name));
            return deliver(field, text);
        }
        const Ctl control = pick(kClickable);
        note("click " + std::string(layoutRow(control).name));
        return click(control);
    }

    std::string typeSomewhere() {
        const Ctl field = pick(kFields);
        const std::string text = session_.local(random_() % 4 ? pick(kValid) : pick(kHostile));
        const bool replace = random_() % 2 == 0;
        note(std::string(replace ? "retype " : "type ") + std::string(layoutRow(field).name) +
             " \"" + text + "\"");
        // Keystroke by keystroke; the first replaces a selected text.
        for (std::size_t k = 0; k < text.size(); ++k) {
            const std::string typed =
                (replace && k == 0) ? text.substr(0, 1) : form().text(field) + text[k];
            if (std::string problem = deliver(field, typed); !problem.empty()) {
                return problem;
            }
        }
        return {};
    }

    std::string deliver(Ctl field, const std::string& text) {
        ++actions_;
        const bool enabled = form().enabled(field);
        const std::string before = form().text(field);
        const auto failure = form().edit(field, text);
        if (!enabled) {
            if (failure || form().text(field) != before) {
                return "typing changed the disabled field " + std::string(layoutRow(field).name);
            }
            return {};
        }
        count(failure);
        // The same text again raises nothing, so only a handler that ran has clamped.
        if (!failure && field == txtV && form().deepestChain() > 0) {
            return clampHeld();
        }
        return chainHeld();
    }

    std::string click(Ctl control) {
        ++actions_;
        const bool enabled = form().enabled(control);
        const auto failure = form().click(control);
        count(failure);
        if (!enabled && (failure || form().deepestChain() != 0)) {
            return "a disabled control ran its handler";
        }
        const bool moves = control == cmdAccel || control == cmdBrake || control == cmdTurn ||
                           control == cmdCalcMWTURN;
        if (!failure && moves && enabled) {
            ++manoeuvres_;
            return clampHeld();
        }
        return chainHeld();
    }

    void count(const std::optional<Failure>& failure) {
        if (failure) {
            ++failures_;
        }
    }

    std::string chainHeld() const {
        if (form().deepestChain() > kChainBound) {
            return "a chain of " + std::to_string(form().deepestChain()) + " nested handlers";
        }
        return {};
    }

    // After a speed edit or manoeuvre whose clamp completed: 0 ≤ Vakt ≤ Vmax, shown in txtV.
    std::string clampHeld() const {
        const VehicleState& v = form().state();
        if (!(v.Vakt >= 0 && (v.Vakt <= v.Vmax || v.Vmax < 0))) {
            return "Vakt " + std::to_string(v.Vakt) + " outside 0.." + std::to_string(v.Vmax);
        }
        if (v.Vmax < 0 && v.Vakt != 0) {
            return "Vakt not 0 under a negative Vmax";
        }
        if (form().text(txtV) != realToText(v.Vakt, form().numberFormat())) {
            return "txtV shows \"" + form().text(txtV) + "\" for Vakt " + std::to_string(v.Vakt);
        }
        return chainHeld();
    }

    std::string checkInvariants() const {
        const Form& f = form();
        const VehicleState& v = f.state();
        for (Real r : {v.Vakt, v.Aturn, v.Radius}) {
            if (!std::isfinite(r)) {
                return "a real of the vehicle is no longer finite";
            }
        }
        if (f.selected(optRadius) == f.selected(optGForce)) {
            return "not exactly one option selected";
        }
        const bool radiusMode = f.selected(optRadius);
        if (f.enabled(txtRadius) != radiusMode || f.enabled(txtGForce) == radiusMode ||
            f.enabled(txtGForceMK) == radiusMode) {
            return "the enabled fields do not follow the input mode";
        }
        // Amax changes only where its label is written right after.
        if (!f.text(lblAmax).empty() && f.text(lblAmax) != integerToText(v.Amax)) {
            return "lblAmax shows " + f.text(lblAmax) + " for Amax " + integerToText(v.Amax);
        }
        const std::string& mw = f.text(lblMindestwurf);
        if (mw != "Mindestwurf" && (mw.size() < 2 || mw[0] != '+' ||
                                    mw.find_first_not_of("0123456789", 1) != std::string::npos)) {
            return "lblMindestwurf shows \"" + mw + "\"";
        }
        return {};
    }

    Form& form() { return session_.form; }
    const Form& form() const { return session_.form; }

    Session session_;
    std::mt19937 random_;
    std::deque<std::string> log_;
    int actions_ = 0;
    int failures_ = 0;
    int manoeuvres_ = 0;
};

std::uint32_t seedFromEnvironment(std::uint32_t fallback) {
    const QByteArray given = qgetenv("VELORIX_SOAK_SEED");
    return given.isEmpty() ? fallback : given.toUInt();
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void randomSession_data() {
        addLocaleColumn();
        QTest::addColumn<uint>("seed");
        localeRow(true, "session") << 20261208u;
        localeRow(false, "session") << 19860401u;
    }
    void randomSession() {
        QFETCH(QByteArray, separator);
        QFETCH(uint, seed);
        seed = seedFromEnvironment(seed);
        Soak soak(separator, seed);
        constexpr int kActions = 100000;
        const std::string problem = soak.run(kActions);
        QVERIFY2(problem.empty(), qPrintable(QString("replay with VELORIX_SOAK_SEED=%1 %2\n%3")
                                                 .arg(seed)
                                                 .arg(QTest::currentDataTag())
                                                 .arg(QString::fromStdString(problem))));
        // The session must have gone both ways often, or it tested too little.
        QVERIFY2(soak.failures() > kActions / 20 && soak.failures() < kActions / 2,
                 qPrintable(QString::number(soak.failures())));
        QVERIFY2(soak.manoeuvres() > kActions / 100,
                 qPrintable(QString::number(soak.manoeuvres())));
        qInfo("%d actions: %d failure reports, %d manoeuvres", kActions, soak.failures(),
              soak.manoeuvres());
    }
};

QTEST_APPLESS_MAIN(TestSoak)
#include "tst_soak.moc"
