// SPDX-License-Identifier: GPL-3.0-or-later
// "Beschleunigen" and "Bremsen": successes, modifier, "ACCELERATE!" and "BRAKE!".
#include "support/session.h"

#include <QTest>

using namespace velorix;
using namespace velorix::testing;
using enum Ctl;

class TestStraightPanels : public QObject {
    Q_OBJECT

private slots:
    // The whole braking sequence, step by step.
    void brakeSequence_data() { addLocaleRows(); }
    void brakeSequence() {
        VELORIX_SESSION(s);
        s.vehicleAt("100");
        s.user.replace(txtBremsDiff, "60");
        s.user.click(cmdCalcMWBrake);
        QCOMPARE(s.text(lblMindestwurf), "+1");
        QVERIFY(!s.form.enabled(cmdBrake));
        s.user.replace(txtErfolgeBrems, "3");
        QVERIFY(s.form.enabled(cmdBrake));
        s.user.click(cmdBrake);
        QCOMPARE(s.text(txtV), "40");
        QVERIFY(!s.form.enabled(cmdBrake));
        QCOMPARE(s.text(lblMindestwurf), "+1"); // braking leaves the modifier alone
        QVERIFY(!s.user.failed());
        // Pressing again needs a new positive entry.
        s.user.click(cmdBrake);
        QCOMPARE(s.text(txtV), "40");
        s.user.replace(txtErfolgeBrems, "1");
        s.user.click(cmdBrake);
        QCOMPARE(s.text(txtV), "0"); // 40 − Amax 40 − 0 × 10
    }

    void modifierForDecelerations_data() {
        addLocaleColumn();
        QTest::addColumn<QByteArray>("decel");
        QTest::addColumn<QByteArray>("modifier");
        for (bool german : {true, false}) {
            localeRow(german, "within") << QByteArray("40") << QByteArray("+0");
            localeRow(german, "one step") << QByteArray("60") << QByteArray("+1");
            localeRow(german, "just over a step") << QByteArray("61") << QByteArray("+2");
            localeRow(german, "half step rounds") << QByteArray("50") << QByteArray("+1");
            localeRow(german, "read as integer") << QByteArray("60,5") << QByteArray("+1");
            localeRow(german, "read as integer, up") << QByteArray("60,6") << QByteArray("+2");
            localeRow(german, "empty counts as 0") << QByteArray("") << QByteArray("+0");
        }
    }
    void modifierForDecelerations() {
        VELORIX_SESSION(s);
        QFETCH(QByteArray, decel);
        QFETCH(QByteArray, modifier);
        s.vehicleAt("100");
        QVERIFY(!s.form.edit(txtBremsDiff, s.local(decel.toStdString())));
        s.user.click(cmdCalcMWBrake);
        QCOMPARE(s.text(lblMindestwurf), modifier.toStdString());
        QVERIFY(!s.user.failed());
    }

    void modifierFailureKeepsTheLabel() {
        Session s(",");
        s.vehicleAt("100");
        s.user.replace(txtBremsDiff, "70");
        s.user.click(cmdCalcMWBrake);
        QCOMPARE(s.text(lblMindestwurf), "+2");
        s.user.replace(txtBremsDiff, "x");
        s.user.click(cmdCalcMWBrake);
        QCOMPARE(s.user.lastFailure(), FailureKind::InvalidNumber);
        QCOMPARE(s.text(lblMindestwurf), "+2");
    }

    void successesEnableBrake_data() {
        addLocaleColumn();
        QTest::addColumn<QByteArray>("successes");
        QTest::addColumn<bool>("enabled");
        for (bool german : {true, false}) {
            localeRow(german, "3") << QByteArray("3") << true;
            localeRow(german, "0") << QByteArray("0") << false;
            localeRow(german, "0,5 rounds to 0") << QByteArray("0,5") << false;
            localeRow(german, "0,6 rounds to 1") << QByteArray("0,6") << true;
            localeRow(german, "negative") << QByteArray("-2") << false;
            localeRow(german, "empty") << QByteArray("") << false;
        }
    }
    void successesEnableBrake() {
        VELORIX_SESSION(s);
        QFETCH(QByteArray, successes);
        QFETCH(bool, enabled);
        s.user.replace(txtErfolgeBrems, "9");
        s.user.click(cmdBrake); // disabled again
        QVERIFY(!s.form.edit(txtErfolgeBrems, s.local(successes.toStdString())));
        QCOMPARE(s.form.enabled(cmdBrake), enabled);
    }

    void loweringSuccessesKeepsBrakeEnabled() {
        Session s(",");
        s.user.replace(txtErfolgeBrems, "2");
        s.user.replace(txtErfolgeBrems, "0");
        QVERIFY(s.form.enabled(cmdBrake));
    }

    void brakeByRequest_data() {
        addLocaleColumn();
        QTest::addColumn<bool>("retypeRating"); // false: Amax still 0 from the start
        QTest::addColumn<QByteArray>("decel");
        QTest::addColumn<QByteArray>("successes");
        QTest::addColumn<QByteArray>("speed");
        for (bool german : {true, false}) {
            localeRow(german, "within Amax, 1 success")
                << true << QByteArray("30") << QByteArray("1") << QByteArray("70");
            localeRow(german, "within Amax, 5 successes")
                << true << QByteArray("30") << QByteArray("5") << QByteArray("70");
            localeRow(german, "Amax 0, 1 success")
                << false << QByteArray("30") << QByteArray("1") << QByteArray("100");
            localeRow(german, "Amax 0, 3 successes")
                << false << QByteArray("30") << QByteArray("3") << QByteArray("80");
            localeRow(german, "five successes, more than asked")
                << true << QByteArray("60") << QByteArray("5") << QByteArray("20");
            localeRow(german, "below zero shows 0")
                << true << QByteArray("200") << QByteArray("9") << QByteArray("0");
        }
    }
    void brakeByRequest() {
        VELORIX_SESSION(s);
        QFETCH(bool, retypeRating);
        QFETCH(QByteArray, decel);
        QFETCH(QByteArray, successes);
        QFETCH(QByteArray, speed);
        if (retypeRating) {
            s.user.replace(txtAFzg, "10");
        }
        s.user.replace(txtV, "100");
        s.user.replace(txtBremsDiff, decel.toStdString());
        s.user.replace(txtErfolgeBrems, successes.toStdString());
        s.user.click(cmdBrake);
        QCOMPARE(s.text(txtV), speed.toStdString());
        QVERIFY(!s.user.failed());
    }

    // An emptied successes field counts as 0 for "BRAKE!": no successes, one rating added back.
    void brakeWithEmptySuccesses() {
        Session s(",");
        s.vehicleAt("100");
        s.user.replace(txtBremsDiff, "60");
        s.user.replace(txtErfolgeBrems, "1");
        s.user.clear(txtErfolgeBrems);
        s.user.click(cmdBrake);
        QCOMPARE(s.text(txtV), "70");
    }

    void brakeWithEmptyDecelerationFails() {
        Session s(",");
        s.vehicleAt("100");
        s.user.replace(txtErfolgeBrems, "2");
        s.user.clear(txtBremsDiff);
        s.user.click(cmdBrake);
        QCOMPARE(s.user.failures().size(), std::size_t{1});
        QCOMPARE(s.user.lastFailure(), FailureKind::InvalidNumber);
        QVERIFY(!s.form.enabled(cmdBrake)); // disabled before the failing read
        QCOMPARE(s.text(txtV), "100");
    }

    void brakeWithLowestSuccessesOverflows() {
        Session s(",");
        s.vehicleAt("100");
        s.user.replace(txtErfolgeBrems, "5");
        QVERIFY(!s.form.edit(txtErfolgeBrems, "-32768"));
        s.user.click(cmdBrake);
        QCOMPARE(s.user.lastFailure(), FailureKind::Overflow);
        QVERIFY(!s.form.enabled(cmdBrake));
        QCOMPARE_EQ(s.state().Vakt, 100.0f);
    }

    void accelerate_data() {
        addLocaleColumn();
        QTest::addColumn<QByteArray>("successes");
        QTest::addColumn<QByteArray>("speed");
        for (bool german : {true, false}) {
            localeRow(german, "3 successes") << QByteArray("3") << QByteArray("50");
            localeRow(german, "clamped to Vmax") << QByteArray("13") << QByteArray("150");
            localeRow(german, "empty counts as 0") << QByteArray("") << QByteArray("20");
            localeRow(german, "negative lowers") << QByteArray("-1") << QByteArray("10");
            localeRow(german, "below zero shows 0") << QByteArray("-9") << QByteArray("0");
            localeRow(german, "rounded to even") << QByteArray("2,5") << QByteArray("40");
        }
    }
    void accelerate() {
        VELORIX_SESSION(s);
        QFETCH(QByteArray, successes);
        QFETCH(QByteArray, speed);
        s.user.replace(txtV, "20");
        QVERIFY(!s.form.edit(txtErfolgeBeschl, s.local(successes.toStdString())));
        s.user.click(cmdAccel);
        QCOMPARE(s.text(txtV), speed.toStdString());
        QCOMPARE(s.text(txtErfolgeBeschl), s.local(successes.toStdString()));
        QVERIFY(s.form.enabled(cmdAccel));
    }

    void accelerateToTheTop() {
        Session s(",");
        s.user.replace(txtV, "140");
        s.user.replace(txtErfolgeBeschl, "3");
        s.user.click(cmdAccel);
        QCOMPARE(s.text(txtV), "150");
    }

    void accelerateFailures() {
        Session s(",");
        s.user.replace(txtV, "20");
        s.user.replace(txtErfolgeBeschl, "40000");
        QVERIFY(!s.user.failed()); // the field has no handler of its own
        s.user.click(cmdAccel);
        QCOMPARE(s.user.lastFailure(), FailureKind::Overflow);
        QCOMPARE_EQ(s.state().Vakt, 20.0f);
        s.user.replace(txtErfolgeBeschl, "4000"); // 4000 × 10 overflows
        s.user.click(cmdAccel);
        QCOMPARE(s.user.failures().size(), std::size_t{2});
        QCOMPARE_EQ(s.state().Vakt, 20.0f);
    }

    // The clamp fails after the new speed was stored: Vakt keeps it unclamped, txtV is stale.
    void clampFailureAfterAccelerating() {
        Session s(",");
        s.user.replace(txtV, "20");
        s.user.replace(txtErfolgeBeschl, "3");
        QVERIFY(s.form.edit(txtVFzg, "21845")); // stored, Vmax fails
        s.user.click(cmdAccel);
        QCOMPARE(s.user.lastFailure(), FailureKind::Overflow);
        QCOMPARE_EQ(s.state().Vakt, 50.0f);
        QCOMPARE(s.text(txtV), "20");
    }
};

QTEST_APPLESS_MAIN(TestStraightPanels)
#include "tst_straight_panels.moc"
