// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and the event rules of the window's behaviour, without widgets.
#include "support/session.h"

#include <QTest>

using namespace velorix;
using namespace velorix::testing;
using enum Ctl;

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
    }

    // A modifier asked for before the acceleration rating was ever edited compares with 0.
    void amaxIsZeroUntilTheRatingChanges() {
        Session s(",");
        s.user.replace(txtBremsDiff, "1");
        s.user.click(cmdCalcMWBrake);
        QCOMPARE(s.text(lblMindestwurf), "+1");
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

    void failureReportNamesItsKind() {
        Session s(",");
        s.user.replace(txtAFzg, "x");
        QCOMPARE(s.user.failures().size(), std::size_t{1});
        const Failure& f = s.user.failures().front();
        QCOMPARE(f.kind(), FailureKind::InvalidNumber);
        QVERIFY(f.message().starts_with("Ungültige Zahl"));
        QVERIFY(f.message().find("„x“") != std::string::npos);
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
};

QTEST_APPLESS_MAIN(TestFormEvents)
#include "tst_form_events.moc"
