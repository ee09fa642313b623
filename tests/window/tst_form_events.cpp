// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the event rules, the Tab stops and what a screen reader hears, without widgets.
#include "support/session.h"

#include <QTest>

#include <algorithm>
#include <set>

using namespace velorix;
using namespace velorix::testing;
using enum Ctl;

using Steps = void (*)(Session&);
Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(velorix::Ctl)

// A control by its name, as a failed comparison shows it; "none" for no control.
static QString nameOf(std::optional<Ctl> c) {
    return c ? QString::fromUtf8(layoutRow(*c).name) : "none";
}

class TestFormEvents : public QObject {
    Q_OBJECT

private slots:
    void startState_data() { addLocaleRows(); }
    void startState() {
        VELORIX_SESSION(s);
        const VehicleState& v = s.state();
        QCOMPARE(v.AFzg, 10);
        QCOMPARE(v.VFzg, 100);
        QCOMPARE_EQ(v.Vakt, 0.0f);
        QCOMPARE(v.Amax, 0);
        QCOMPARE(v.Vmax, 0);
        QCOMPARE_EQ(v.Aturn, 0.0f);
        QCOMPARE_EQ(v.Radius, 0.0f);
        QCOMPARE(s.text(lblAmax), "");
        QCOMPARE(s.text(lblVmax), "");
        QCOMPARE(s.text(lblMindestwurf), "Mindestwurf");
        QCOMPARE(s.text(txtPHI), "0");
        for (Ctl c : {cmdBrake, cmdTurn, txtGForce, txtGForceMK}) {
            QVERIFY2(!s.form.enabled(c), layoutRow(c).name.data());
        }
        for (Ctl c : {txtAFzg, txtRadius, cmdAccel, cmdCalcMWBrake, cmdCalcMWTURN, optGForce}) {
            QVERIFY2(s.form.enabled(c), layoutRow(c).name.data());
        }
        QVERIFY(s.form.selected(optRadius));
        QVERIFY(!s.form.selected(optGForce));
        // The focus opens in "A=" with its "10" selected: the first key replaces it.
        QCOMPARE(s.form.opening(), (Form::Selection{txtAFzg, 0, 2}));
    }

    // A modifier asked for before the acceleration rating was ever edited compares with 0.
    void amaxIsZeroUntilTheRatingChanges() {
        Session s(",");
        s.user.replace(txtBremsDiff, "1");
        s.user.click(cmdCalcMWBrake);
        QCOMPARE(s.text(lblMindestwurf), "+1");
        s.user.replace(txtV, "100");
        s.user.click(cmdCalcMWTURN); // radius 100: 100 m/k² over an Amax of 0
        QCOMPARE(s.text(lblMindestwurf), "+5");
    }

    void loadFailsOnlyThroughItsReads() {
        // Load reads without the empty-field test; the defaults always read.
        Form form(NumberFormat{","});
        QCOMPARE(form.load().has_value(), false);
    }

    void sameTextRaisesNothing() {
        Session s(",");
        s.form.takeChanges();
        // Typing the text the field already holds is no change: Amax stays unshown.
        QCOMPARE(s.form.edit(txtAFzg, "10").has_value(), false);
        QCOMPARE(s.form.deepestChain(), 0);
        QCOMPARE(s.text(lblAmax), "");
        QVERIFY(s.form.takeChanges().none());
    }

    void sameTextTwiceRaisesOnce() {
        Session s(",");
        s.user.replace(txtAFzg, "5");
        QCOMPARE(s.form.deepestChain(), 1);
        QCOMPARE(s.text(lblAmax), "20");
        s.user.replace(txtAFzg, "5");
        QCOMPARE(s.form.deepestChain(), 0);
    }

    // txtV's handler writes txtV: the nested Change re-reads the shown text before the outer
    // handler goes on, so the speed ends as the field shows it.
    void nestedWritesRunInsideTheWriter_data() { addLocaleRows(); }
    void nestedWritesRunInsideTheWriter() {
        VELORIX_SESSION(s);
        s.user.replace(txtVFzg, "1000");
        // Pasted in one edit: typed, the trailing separator of "1234," would be rewritten.
        QVERIFY(!s.form.edit(txtV, s.local("1234,56789")));
        QCOMPARE(s.text(txtV), s.local("1234,568"));
        QCOMPARE_EQ(s.state().Vakt, 1234.568f);
        QCOMPARE(s.form.deepestChain(), 2);
        QVERIFY(!s.user.failed());
    }

    // Handlers still write disabled fields, and their Change still runs.
    void disabledFieldStillRaises() {
        Session s(",");
        QVERIFY(!s.form.enabled(txtGForce));
        s.user.replace(txtV, "100");
        s.user.replace(txtRadius, "100");
        s.user.click(cmdCalcMWTURN);
        QCOMPARE(s.text(txtGForce), "1,32"); // rewritten by the chain from txtGForceMK
        QCOMPARE(s.text(txtGForceMK), "100");
        QVERIFY(s.form.deepestChain() >= 3);
    }

    void disabledControlsIgnoreTheUser() {
        Session s(",");
        s.user.replace(txtV, "5");
        QCOMPARE(s.form.deepestChain(), 1);
        s.form.takeChanges();
        QCOMPARE(s.form.edit(txtGForce, "5").has_value(), false);
        QCOMPARE(s.text(txtGForce), "1");
        QCOMPARE(s.form.click(cmdBrake).has_value(), false);
        QCOMPARE(s.form.deepestChain(), 0); // an ignored event runs no handler either
        QVERIFY(s.form.takeChanges().none());
    }

    void onlyFieldsTakeText() {
        Session s(",");
        QCOMPARE(s.form.edit(lblAmax, "99").has_value(), false);
        QCOMPARE(s.form.edit(cmdAccel, "99").has_value(), false);
        QCOMPARE(s.text(lblAmax), "");
        QCOMPARE(s.text(cmdAccel), "ACCELERATE!");
        QCOMPARE(s.form.click(txtV).has_value(), false);
    }

    void fieldsWithoutHandlersJustKeepTheirText() {
        Session s(",");
        s.user.replace(txtPHI, "Hallo");
        s.user.replace(txtRadius, "x");
        s.user.replace(txtBremsDiff, "");
        QVERIFY(!s.user.failed());
        QCOMPARE(s.text(txtPHI), "Hallo");
        QCOMPARE(s.form.deepestChain(), 0);
    }

    void selectingAnOptionClearsTheOther() {
        Session s(",");
        s.user.click(optGForce);
        QVERIFY(s.form.selected(optGForce));
        QVERIFY(!s.form.selected(optRadius));
        s.user.click(optRadius);
        QVERIFY(s.form.selected(optRadius));
        QVERIFY(!s.form.selected(optGForce));
    }

    // A failure ends the handler and every handler whose write raised it; what was done stays.
    void failureEndsTheWholeChain() {
        Session s(",");
        s.user.replace(txtVFzg, "21845"); // stored, but Vmax cannot be formed
        QCOMPARE(s.user.failures().size(), std::size_t{1});
        QCOMPARE(s.user.lastFailure(), FailureKind::Overflow);
        QCOMPARE(s.state().VFzg, 21845);
        QCOMPARE(s.text(lblVmax), "3276"); // from "2184", the keystroke before
        s.user.forgetFailures();
        s.user.replace(txtV, "7");
        QCOMPARE(s.user.failures().size(), std::size_t{1});
        QCOMPARE_EQ(s.state().Vakt, 7.0f); // stored before checkSPEED failed
    }

    // The report of each failure, one per user action: its kind first, then the field or value
    // by the captions on screen, and what to do. German locale.
    void failureReports_data() {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QString>("report");
        const QString range = " liegt außerhalb von -32768 bis 32767.";
        const QString number = " Bitte eine Zahl eintragen, etwa 12 oder 2,5.";
        QTest::newRow("letters") << Steps([](Session& s) {
            s.user.replace(txtAFzg, "x");
        }) << "Ungültige Zahl: Im Feld „A=“ steht „x“, das ist keine Zahl." + number;
        QTest::newRow("long paste, line break")
            << Steps([](Session& s) { s.user.paste(txtV, "1\n" + std::string(60, '9')); })
            << "Ungültige Zahl: Im Feld „Aktuelle Geschwindigkeit“ steht „1␊" + QString(38, '9') +
                   "…“, das ist keine Zahl." + number;
        QTest::newRow("BRAKE!, empty deceleration") << Steps([](Session& s) {
            s.user.replace(txtErfolgeBrems, "3");
            s.user.clear(txtBremsDiff);
            s.user.click(cmdBrake);
        }) << "Ungültige Zahl: Das Feld „Verzögern um:“ ist leer." + number;
        const QString vmax = "Überlauf: „Vmax=“ = 1,5 × „V=“ (21845) = 32767,5" + range +
                             " Bitte bei „V=“ eine Zahl von -21845 bis 21844 eintragen.";
        QTest::newRow("speed rating")
            << Steps([](Session& s) { s.user.replace(txtVFzg, "21845"); }) << vmax;
        QTest::newRow("ACCELERATE! while the speed rating stays") << Steps([](Session& s) {
            s.user.replace(txtVFzg, "21845");
            s.user.click(cmdAccel);
        }) << vmax;
        QTest::newRow("acceleration rating")
            << Steps([](Session& s) { s.user.replace(txtAFzg, "9000"); })
            << "Überlauf: „Amax=“ = 4 × „A=“ (9000) = 36000" + range +
                   " Bitte bei „A=“ eine Zahl von -8192 bis 8191 eintragen.";
        QTest::newRow("ACCELERATE!, too many successes")
            << Steps([](Session& s) {
                   s.user.replace(txtErfolgeBeschl, "5000");
                   s.user.click(cmdAccel);
               })
            << "Überlauf: „Erfolge“ unter „Beschleunigen“ (5000) × „A=“ (10) = 50000" + range +
                   " Bitte weniger Erfolge eintragen.";
        QTest::newRow("TURN! before any curve")
            << Steps([](Session& s) {
                   s.user.replace(txtErfolgeKurve, "1");
                   s.user.click(cmdTurn);
               })
            << "Gleitkommafehler: Es ist keine Kurve berechnet, ihr Radius ist 0. Bitte zuerst in "
               "„Kurve“ einen Radius über 0 angeben (oder eine g-Force bei einer Geschwindigkeit "
               "über 0) und „Berechne den Mindestwurf“ drücken.";
        const QString floats = " liegt außerhalb des Zahlenbereichs von etwa -3,4E+38 bis 3,4E+38.";
        QTest::newRow("tiny radius")
            << Steps([](Session& s) {
                   s.vehicleAt("100");
                   s.user.paste(txtRadius, "1E-35");
                   s.user.click(cmdCalcMWTURN);
               })
            << "Überlauf: Die Querbeschleunigung „Aktuelle Geschwindigkeit“² / „Radius [m]“ = "
               "100² / 1E-35" +
                   floats + " Bitte einen größeren Radius eintragen.";
        QTest::newRow("modifier of a tight curve")
            << Steps([](Session& s) {
                   s.vehicleAt("100");
                   s.user.paste(txtRadius, "0,01");
                   s.user.click(cmdCalcMWTURN);
               })
            << "Überlauf: Die Querbeschleunigung der Kurve (1000000 m/k²) − „Amax=“ (40)" + range +
                   " Bitte in „Kurve“ einen größeren Radius oder eine kleinere g-Force wählen.";
    }
    void failureReports() {
        QFETCH(Steps, steps);
        QFETCH(QString, report);
        Session s(",");
        steps(s);
        QVERIFY(s.user.failed());
        QCOMPARE(QString::fromStdString(s.user.failures().back().message()), report);
    }

    void changesAreCollectedForTheView() {
        Session s(",");
        s.form.takeChanges();
        s.user.replace(txtAFzg, "3");
        const auto changed = s.form.takeChanges();
        QVERIFY(changed.test(index(txtAFzg)));
        QVERIFY(changed.test(index(lblAmax)));
        QCOMPARE(changed.count(), std::size_t{2});
        QVERIFY(s.form.takeChanges().none());
    }

    // What a screen reader is told after the last event, and where a button sends the focus.
    void announcements_data() {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("focus"); // -1: the focus stays
        const int stays = -1;
        QTest::newRow("a keystroke that changes no result")
            << Steps([](Session& s) { s.user.replace(txtV, "30"); }) << "" << stays;
        QTest::newRow("the speed clamped in the field typed in")
            << Steps([](Session& s) { s.user.replace(txtV, "300"); })
            << "Aktuelle Geschwindigkeit 150 m/k" << stays;
        QTest::newRow("the g-force typed in, rewritten") << Steps([](Session& s) {
            s.user.click(optGForce);
            s.user.replace(txtGForce, "1,23");
        }) << "Kurve g-Force 1,22, Kurve g-Force 93 m/k²" << stays;
        QTest::newRow("a turn by radius, pressed twice") << Steps([](Session& s) {
            s.vehicleAt("100");
            s.user.replace(txtRadius, "70");
            s.user.click(cmdCalcMWTURN);
            s.user.click(cmdCalcMWTURN);
        }) << "Kurve g-Force 1,88, Kurve g-Force 142,8571 m/k², Erforderlicher Mindestwurf +6"
                                                         << stays;
        QTest::newRow("a turn by g-force") << Steps([](Session& s) {
            s.vehicleAt("100");
            s.user.click(optGForce);
            s.user.replace(txtGForce, "2");
            s.user.click(cmdCalcMWTURN);
        }) << "Kurve Radius [m] 65,78947, Erforderlicher Mindestwurf +6"
                                           << stays;
        QTest::newRow("TURN!") << Steps([](Session& s) {
            s.vehicleAt("100");
            s.user.click(cmdCalcMWTURN);
            s.user.replace(txtErfolgeKurve, "2");
            s.user.click(cmdTurn);
        }) << "Überstrichener Winkel in einer Kampfrunde 60, Aktuelle Geschwindigkeit 0 m/k"
                               << int(index(txtErfolgeKurve));
        QTest::newRow("a failed TURN! stays enabled, and its report speaks")
            << Steps([](Session& s) {
                   s.user.replace(txtErfolgeKurve, "1");
                   s.user.click(cmdTurn);
               })
            << "" << stays;
        QTest::newRow("BRAKE!") << Steps([](Session& s) {
            s.vehicleAt("100");
            s.user.replace(txtBremsDiff, "60");
            s.user.replace(txtErfolgeBrems, "3");
            s.user.click(cmdBrake);
        }) << "Aktuelle Geschwindigkeit 40 m/k"
                                << int(index(txtErfolgeBrems));
    }
    void announcements() {
        QFETCH(Steps, steps);
        QFETCH(QString, said);
        QFETCH(int, focus);
        Session s(",");
        steps(s);
        QCOMPARE(QString::fromStdString(s.form.announcement()), said);
        QCOMPARE(s.form.focusAfter() ? int(index(*s.form.focusAfter())) : -1, focus);
    }

    // Tab walks the enabled controls in focus order, of the options only the selected one, and
    // Shift+Tab back: from outside the order (a group) to the last stop, then round, or nowhere
    // where a view asks without. From a control that is no stop it goes on from its place.
    void tabStops_data() {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QString>("stops");
        QTest::addColumn<Ctl>("noStop");
        QTest::addColumn<QString>("fromNoStop"); // by Tab, by Shift+Tab
        QTest::newRow("at start")
            << Steps([](Session&) {})
            << "txtAFzg txtVFzg txtV txtErfolgeBeschl txtBremsDiff cmdAccel optRadius txtRadius "
               "cmdCalcMWBrake txtErfolgeBrems cmdCalcMWTURN txtErfolgeKurve txtPHI"
            << cmdBrake << "cmdAccel txtBremsDiff";
        // Both manoeuvres armed and the g-force chosen: its fields for the radius field.
        QTest::newRow("everything enabled")
            << Steps([](Session& s) {
                   s.user.replace(txtErfolgeBrems, "1");
                   s.user.replace(txtErfolgeKurve, "1");
                   s.user.click(optGForce);
               })
            << "txtAFzg txtVFzg txtV txtErfolgeBeschl txtBremsDiff cmdBrake cmdAccel optGForce "
               "txtGForce cmdTurn cmdCalcMWBrake txtErfolgeBrems cmdCalcMWTURN txtErfolgeKurve "
               "txtGForceMK txtPHI"
            << optRadius << "optGForce cmdAccel";
    }
    void tabStops() {
        QFETCH(Steps, steps);
        QFETCH(QString, stops);
        QFETCH(Ctl, noStop);
        QFETCH(QString, fromNoStop);
        Session s(",");
        steps(s);
        QStringList back = stops.split(' ');
        std::reverse(back.begin(), back.end());
        // Up to one step past the last stop.
        const auto walk = [&s, n = back.size()](int step, bool wrap) {
            QStringList walked;
            for (std::optional<Ctl> at = Frame1;
                 walked.size() <= n && (at = s.form.nextTabStop(*at, step, wrap));) {
                walked << nameOf(at);
            }
            return walked.join(' ');
        };
        QCOMPARE(walk(1, false), stops);
        QCOMPARE(walk(-1, false), back.join(' '));
        QCOMPARE(walk(1, true), stops + ' ' + back.back());
        QCOMPARE(walk(-1, true), back.join(' ') + ' ' + back.front());
        QCOMPARE(nameOf(s.form.nextTabStop(noStop, 1, true)) + ' ' +
                     nameOf(s.form.nextTabStop(noStop, -1, true)),
                 fromNoStop);
    }

    // No two controls that take the focus sound alike, and none goes unnamed.
    void everyFocusStopHasANameOfItsOwn() {
        std::set<std::string> names{""};
        for (Ctl c : focusOrder()) {
            QVERIFY2(names.insert(accessibleName(c)).second, layoutRow(c).name.data());
        }
    }

    // What a screen reader says for a control: the captions that name it on screen, its group's
    // first; and the label that stands for it (its buddy). A caption is read as its own text.
    void accessibleNames_data() {
        QTest::addColumn<Ctl>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("buddy");
        const auto row = [](Ctl c, const char* name, const char* buddy = "none") {
            QTest::newRow(layoutRow(c).name.data()) << c << name << buddy;
        };
        row(txtAFzg, "Beschleunigung des Fahrzeugs A= m/k²", "Label2");
        row(txtVFzg, "Höchstgeschwindigkeit des Fahrzeugs V= m/k", "Label5");
        row(txtV, "Aktuelle Geschwindigkeit m/k", "Label9");
        row(txtBremsDiff, "Bremsen Verzögern um: m/k", "Label11");
        row(cmdCalcMWBrake, "Berechne den Mindestwurf Bremsen");
        row(txtErfolgeBrems, "Bremsen Erfolge", "Label15");
        row(cmdBrake, "BRAKE!");
        row(txtErfolgeBeschl, "Beschleunigen Erfolge", "Label10");
        row(cmdAccel, "ACCELERATE!");
        row(optRadius, "Radius [m]");
        row(txtRadius, "Kurve Radius [m]", "Label13");
        row(optGForce, "g-Force");
        row(txtGForce, "Kurve g-Force", "Label14");
        row(txtGForceMK, "Kurve g-Force m/k²", "Label17");
        row(cmdCalcMWTURN, "Berechne den Mindestwurf Kurve");
        row(txtErfolgeKurve, "Kurve Erfolge", "Label16");
        row(cmdTurn, "TURN!");
        row(txtPHI, "Überstrichener Winkel in einer Kampfrunde", "Label18");
        row(Label3, "");
    }
    void accessibleNames() {
        QFETCH(Ctl, control);
        QFETCH(QString, name);
        QFETCH(QString, buddy);
        QCOMPARE(QString::fromStdString(accessibleName(control)), name);
        const auto row = std::ranges::find(kAccessibleNames, control, &AccessibleName::control);
        QCOMPARE(nameOf(row == kAccessibleNames.end() ? std::nullopt : labelOf(*row)), buddy);
    }
};

QTEST_APPLESS_MAIN(TestFormEvents)
#include "tst_form_events.moc"
