// SPDX-License-Identifier: GPL-3.0-or-later
// "Kurve": input mode, the coupled g-force fields, the modifier and "TURN!".
#include "support/session.h"

#include <QTest>

using namespace velorix;
using namespace velorix::testing;
using enum Ctl;

class TestTurnPanel : public QObject {
    Q_OBJECT

private slots:
    void inputMode() {
        Session s(",");
        s.user.click(optGForce);
        QVERIFY(s.form.enabled(txtGForce));
        QVERIFY(s.form.enabled(txtGForceMK));
        QVERIFY(!s.form.enabled(txtRadius));
        s.user.click(optRadius);
        QVERIFY(!s.form.enabled(txtGForce));
        QVERIFY(!s.form.enabled(txtGForceMK));
        QVERIFY(s.form.enabled(txtRadius));
    }

    // Radius mode: the chains of both writes end, and the modifier follows Aturn.
    void planFromRadius_data() {
        addLocaleColumn();
        QTest::addColumn<QByteArray>("radius");
        QTest::addColumn<QByteArray>("g");
        QTest::addColumn<QByteArray>("mk");
        QTest::addColumn<QByteArray>("modifier");
        QTest::addColumn<float>("aturn");
        for (bool german : {true, false}) {
            localeRow(german, "70") << QByteArray("70") << QByteArray("1,88")
                                    << QByteArray("142,8571") << QByteArray("+6") << 142.857147f;
            localeRow(german, "100") << QByteArray("100") << QByteArray("1,32") << QByteArray("100")
                                     << QByteArray("+3") << 100.0f;
            // The m/k² field does not end showing Aturn here.
            localeRow(german, "14") << QByteArray("14") << QByteArray("9,39") << QByteArray("714")
                                    << QByteArray("+34") << 714.285706f;
            localeRow(german, "decimal radius") << QByteArray("312,5") << QByteArray("0,42")
                                                << QByteArray("32") << QByteArray("+0") << 32.0f;
        }
    }
    void planFromRadius() {
        VELORIX_SESSION(s);
        QFETCH(QByteArray, radius);
        QFETCH(QByteArray, g);
        QFETCH(QByteArray, mk);
        QFETCH(QByteArray, modifier);
        QFETCH(float, aturn);
        s.vehicleAt("100");
        QVERIFY(!s.form.edit(txtRadius, s.local(radius.toStdString())));
        s.user.click(cmdCalcMWTURN);
        QVERIFY(!s.user.failed());
        QCOMPARE(s.text(txtGForce), s.local(g.toStdString()));
        QCOMPARE(s.text(txtGForceMK), s.local(mk.toStdString()));
        QCOMPARE(s.text(lblMindestwurf), modifier.toStdString());
        QCOMPARE_EQ(s.state().Aturn, aturn);
        QVERIFY(s.form.deepestChain() < 10);
    }

    void planFromGForce_data() { addLocaleRows(); }
    void planFromGForce() {
        VELORIX_SESSION(s);
        s.vehicleAt("100");
        s.user.click(optGForce);
        s.user.replace(txtGForce, "2");
        QCOMPARE(s.text(txtGForceMK), "152");
        s.user.click(cmdCalcMWTURN);
        QCOMPARE(s.text(txtRadius), s.local("65,78947"));
        QCOMPARE(s.text(txtGForceMK), "152");
        QCOMPARE(s.text(lblMindestwurf), "+6");
        QCOMPARE_EQ(s.state().Aturn, 152.0f);
    }

    void coupledFields_data() {
        addLocaleColumn();
        QTest::addColumn<bool>("intoG"); // typed into the g field, else into the m/k² field
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("g");
        QTest::addColumn<QByteArray>("mk");
        for (bool german : {true, false}) {
            localeRow(german, "2 g")
                << true << QByteArray("2") << QByteArray("2") << QByteArray("152");
            // 1,23 × 76 rounds to 93, and 93 / 76 rounds to 1,22, which writes 93 again.
            localeRow(german, "1,23 g")
                << true << QByteArray("1,23") << QByteArray("1,22") << QByteArray("93");
            localeRow(german, "100 m/k²")
                << false << QByteArray("100") << QByteArray("1,32") << QByteArray("100");
            localeRow(german, "negative g")
                << true << QByteArray("-0,5") << QByteArray("-0,5") << QByteArray("-38");
            localeRow(german, "huge g")
                << true << QByteArray("1E+30") << QByteArray("1E+30") << QByteArray("7,6E+31");
            // 0,375 × 76 is 28,5 exactly and rounds to the even 28; 28 / 76 gives 0,37.
            localeRow(german, "tie to even")
                << true << QByteArray("0,375") << QByteArray("0,37") << QByteArray("28");
            // 0,4 / 76 rounds to 0,01, whose 0,76 rounds to 1, whose 1 / 76 gives 0,01 again.
            localeRow(german, "m/k² written back")
                << false << QByteArray("0,4") << QByteArray("0,01") << QByteArray("1");
            // 0,38 rounds to 0, and 0 writes the g field as 0.
            localeRow(german, "g rounded away")
                << true << QByteArray("0,004999") << QByteArray("0") << QByteArray("0");
        }
    }
    void coupledFields() {
        VELORIX_SESSION(s);
        QFETCH(bool, intoG);
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, g);
        QFETCH(QByteArray, mk);
        s.user.click(optGForce);
        QVERIFY(!s.form.edit(intoG ? txtGForce : txtGForceMK, s.local(typed.toStdString())));
        QCOMPARE(s.text(txtGForce), s.local(g.toStdString()));
        QCOMPARE(s.text(txtGForceMK), s.local(mk.toStdString()));
    }

    // Typed keystroke by keystroke, the fields rewrite each other on the way.
    void coupledFieldsWhileTyping() {
        Session s(",");
        s.user.click(optGForce);
        s.user.replace(txtGForce, "1,23");
        QVERIFY(!s.user.failed());
        QCOMPARE(s.text(txtGForce), "1,22");
        QCOMPARE(s.text(txtGForceMK), "93");
    }

    void emptiedCoupledFieldCountsAsZero_data() { addLocaleRows(); }
    void emptiedCoupledFieldCountsAsZero() {
        VELORIX_SESSION(s);
        s.user.click(optGForce);
        s.user.clear(txtGForce);
        QCOMPARE(s.text(txtGForce), "0");
        QCOMPARE(s.text(txtGForceMK), "0");
        s.user.replace(txtGForceMK, "38");
        QCOMPARE(s.text(txtGForce), s.local("0,5"));
        s.user.clear(txtGForceMK);
        QCOMPARE(s.text(txtGForce), "0");
        QCOMPARE(s.text(txtGForceMK), "0");
    }

    void invalidCoupledTextKeepsTheOther() {
        Session s(",");
        s.user.click(optGForce);
        s.user.replace(txtGForce, "x");
        QCOMPARE(s.user.lastFailure(), FailureKind::InvalidNumber);
        QCOMPARE(s.text(txtGForceMK), "76");
        QCOMPARE(s.text(txtGForce), "x");
    }

    void coupledOverflow() {
        Session s(",");
        s.user.click(optGForce);
        QVERIFY(s.form.edit(txtGForce, "1E+37")); // × 76 is beyond the float range
        QCOMPARE(s.text(txtGForceMK), "76");
    }

    void takeTheTurn_data() { addLocaleRows(); }
    void takeTheTurn() {
        VELORIX_SESSION(s);
        s.vehicleAt("100");
        s.user.click(cmdCalcMWTURN); // radius 100
        QCOMPARE(s.text(lblMindestwurf), "+3");
        s.user.replace(txtErfolgeKurve, "2");
        QVERIFY(s.form.enabled(cmdTurn));
        s.user.click(cmdTurn);
        QCOMPARE(s.text(txtPHI), "60");
        QCOMPARE(s.text(txtV), "0");
        QVERIFY(!s.form.enabled(cmdTurn));
        QVERIFY(!s.user.failed());
    }

    void angleRoundsHalfToEven() {
        Session s(",");
        s.vehicleAt("50");
        s.user.replace(txtRadius, "80"); // 37,5 → 38
        s.user.click(cmdCalcMWTURN);
        s.user.replace(txtErfolgeKurve, "1");
        s.user.click(cmdTurn);
        QCOMPARE(s.text(txtPHI), "38");
        QCOMPARE(s.text(txtV), s.local("18,75"));
    }

    void successesEnableTurn_data() {
        addLocaleColumn();
        QTest::addColumn<QByteArray>("successes");
        QTest::addColumn<bool>("enabled");
        for (bool german : {true, false}) {
            localeRow(german, "0,4 is above 0, unrounded") << QByteArray("0,4") << true;
            localeRow(german, "tiny") << QByteArray("1E-30") << true;
            localeRow(german, "below the float range") << QByteArray("1E-50") << true;
            localeRow(german, "beyond the float range") << QByteArray("1E+50") << true;
            localeRow(german, "0") << QByteArray("0") << false;
            localeRow(german, "negative") << QByteArray("-1") << false;
            localeRow(german, "empty") << QByteArray("") << false;
        }
    }
    void successesEnableTurn() {
        VELORIX_SESSION(s);
        QFETCH(QByteArray, successes);
        QFETCH(bool, enabled);
        QVERIFY(!s.form.edit(txtErfolgeKurve, s.local(successes.toStdString())));
        QCOMPARE(s.form.enabled(cmdTurn), enabled);
    }

    void turnWithoutRadiusFails_data() {
        addLocaleColumn();
        QTest::addColumn<QByteArray>("radius");
        for (bool german : {true, false}) {
            localeRow(german, "never computed") << QByteArray("-");
            localeRow(german, "radius 0") << QByteArray("0");
            localeRow(german, "empty radius") << QByteArray("");
        }
    }
    void turnWithoutRadiusFails() {
        VELORIX_SESSION(s);
        QFETCH(QByteArray, radius);
        s.vehicleAt("100");
        if (radius != "-") {
            s.user.click(cmdCalcMWTURN); // radius 100: Aturn 100
            QVERIFY(!s.form.edit(txtRadius, radius.toStdString()));
            s.user.click(cmdCalcMWTURN);
            // Radius stored as typed, the modifier from the previous Aturn.
            QCOMPARE_EQ(s.state().Radius, radius.isEmpty() ? 0.0f : radius.toFloat());
            QCOMPARE(s.text(lblMindestwurf), "+3");
        }
        s.user.replace(txtPHI, "7");
        s.user.replace(txtErfolgeKurve, "1");
        s.user.click(cmdTurn);
        QCOMPARE(s.user.failures().size(), std::size_t{1});
        QCOMPARE(s.user.lastFailure(), FailureKind::FloatingPointFault);
        QCOMPARE(s.text(txtPHI), "7");
        QCOMPARE(s.text(txtV), "100");
        QVERIFY(s.form.enabled(cmdTurn));
    }

    // A negative radius is a turn the other way: the plan keeps the previous Aturn, and the angle
    // comes out negative, 100 × 60 / −5.
    void negativeRadiusTurnsTheOtherWay() {
        Session s(",");
        s.vehicleAt("100");
        s.user.click(cmdCalcMWTURN); // radius 100: Aturn 100
        s.user.replace(txtRadius, "-5");
        s.user.click(cmdCalcMWTURN);
        QCOMPARE_EQ(s.state().Radius, -5.0f);
        QCOMPARE(s.text(lblMindestwurf), "+3");
        s.user.replace(txtErfolgeKurve, "1");
        s.user.click(cmdTurn);
        QVERIFY(!s.user.failed());
        QCOMPARE(s.text(txtPHI), "-1200");
        QCOMPARE(s.text(txtV), "0");
        QVERIFY(!s.form.enabled(cmdTurn));
    }

    void standingStill() {
        Session s(",");
        s.user.click(cmdCalcMWTURN); // speed 0, radius 100
        QCOMPARE_EQ(s.state().Aturn, 0.0f);
        QCOMPARE(s.text(lblMindestwurf), "+0");
        s.user.click(optGForce);
        s.user.replace(txtGForce, "2");
        s.user.click(cmdCalcMWTURN);
        QCOMPARE(s.text(txtRadius), "0");
        QCOMPARE_EQ(s.state().Aturn, 152.0f);
    }

    void gForceNotAboveZeroKeepsThePlan() {
        Session s(",");
        s.vehicleAt("100");
        s.user.click(cmdCalcMWTURN); // radius 100, Aturn 100
        s.user.click(optGForce);
        s.user.replace(txtGForce, "0");
        s.user.click(cmdCalcMWTURN);
        QCOMPARE_EQ(s.state().Aturn, 100.0f);
        QCOMPARE_EQ(s.state().Radius, 100.0f);
        QCOMPARE(s.text(txtRadius), "100");
        QCOMPARE(s.text(lblMindestwurf), "+3");
    }

    // The clamp runs first and stays done when the radius text then fails.
    void invalidRadiusFailsAfterTheClamp() {
        Session s(",");
        QVERIFY(!s.form.edit(txtV, "120"));
        s.user.replace(txtVFzg, "50"); // Vmax 75, the speed not yet clamped
        s.user.replace(txtRadius, "weit");
        s.user.click(cmdCalcMWTURN);
        QCOMPARE(s.user.lastFailure(), FailureKind::InvalidNumber);
        QCOMPARE(s.text(txtV), "75");
        QCOMPARE_EQ(s.state().Radius, 0.0f);
    }
};

QTEST_APPLESS_MAIN(TestTurnPanel)
#include "tst_turn_panel.moc"
