// SPDX-License-Identifier: GPL-3.0-or-later
// The acceleration rating, speed rating and current-speed fields, typed as a user types.
#include "support/session.h"

#include <QTest>

using namespace velorix;
using namespace velorix::testing;
using enum Ctl;

class TestVehicleFields : public QObject {
    Q_OBJECT

private slots:
    void amaxFollowsEveryKeystroke_data() { addLocaleRows(); }
    void amaxFollowsEveryKeystroke() {
        VELORIX_SESSION(s);
        s.user.replace(txtAFzg, "1");
        QCOMPARE(s.text(lblAmax), "4");
        s.user.type(txtAFzg, "2");
        QCOMPARE(s.text(lblAmax), "48");
        QCOMPARE(s.state().Amax, 48);
    }

    // Emptied in one edit, the rating keeps its value and Amax is shown for it.
    void emptiedRatingKeepsItsValue() {
        Session s(",");
        s.user.clear(txtAFzg);
        QCOMPARE(s.state().AFzg, 10);
        QCOMPARE(s.text(lblAmax), "40");
        QCOMPARE(s.text(txtAFzg), "");
    }

    // Deleting character by character reads each intermediate text.
    void backspacingReadsEveryStep() {
        Session s(",");
        s.user.backspace(txtAFzg);
        QCOMPARE(s.text(lblAmax), "4");
        s.user.backspace(txtAFzg);
        QCOMPARE(s.text(lblAmax), "4");
        QCOMPARE(s.state().AFzg, 1);
    }

    void ratingOutOfRange() {
        Session s(",");
        s.user.replace(txtAFzg, "8191");
        QCOMPARE(s.text(lblAmax), "32764");
        s.user.type(txtAFzg, "0"); // 81910: the text does not fit an Integer
        QCOMPARE(s.user.lastFailure(), FailureKind::Overflow);
        QCOMPARE(s.state().AFzg, 8191);
        s.user.forgetFailures();
        s.user.replace(txtAFzg, "8192"); // stored, but 4 × 8192 overflows
        QCOMPARE(s.user.failures().size(), std::size_t{1});
        QCOMPARE(s.state().AFzg, 8192);
        QCOMPARE(s.state().Amax, 3276);
        QCOMPARE(s.text(lblAmax), "3276");
    }

    void ratingTextsReadAsIntegers_data() {
        addLocaleColumn();
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("amax");
        for (bool german : {true, false}) {
            localeRow(german, "2,5 to even") << QByteArray("2,5") << QByteArray("8");
            localeRow(german, "3,5 to even") << QByteArray("3,5") << QByteArray("16");
            localeRow(german, "negative") << QByteArray("-3") << QByteArray("-12");
            localeRow(german, "exponent") << QByteArray("1E+03") << QByteArray("4000");
        }
    }
    void ratingTextsReadAsIntegers() {
        VELORIX_SESSION(s);
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, amax);
        QVERIFY(!s.form.edit(txtAFzg, s.local(typed.toStdString())));
        QCOMPARE(s.text(lblAmax), amax.toStdString());
    }

    void vmaxFollowsTheSpeedRating_data() {
        addLocaleColumn();
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("vmax");
        QTest::addColumn<int>("failures");
        for (bool german : {true, false}) {
            localeRow(german, "15: 22,5 to even") << QByteArray("15") << QByteArray("22") << 0;
            localeRow(german, "25: 37,5 to even") << QByteArray("25") << QByteArray("38") << 0;
            // The first keystroke, a lone "-", is no number yet.
            localeRow(german, "-10") << QByteArray("-10") << QByteArray("-15") << 1;
            localeRow(german, "21844") << QByteArray("21844") << QByteArray("32766") << 0;
        }
    }
    void vmaxFollowsTheSpeedRating() {
        VELORIX_SESSION(s);
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, vmax);
        QFETCH(int, failures);
        s.user.replace(txtVFzg, typed.toStdString());
        QCOMPARE(s.text(lblVmax), vmax.toStdString());
        QCOMPARE(s.user.failures().size(), std::size_t(failures));
    }

    // Lowering the rating does not clamp the speed until the next checkSPEED.
    void speedRatingDoesNotClamp() {
        Session s(",");
        s.user.replace(txtV, "120");
        s.user.replace(txtVFzg, "50");
        QCOMPARE(s.text(txtV), "120");
        QCOMPARE_EQ(s.state().Vakt, 120.0f);
        s.user.type(txtV, "0"); // 1200, clamped to the new Vmax 75
        QCOMPARE(s.text(txtV), "75");
    }

    void typedSpeedIsClampedAtOnce_data() { addLocaleRows(); }
    void typedSpeedIsClampedAtOnce() {
        VELORIX_SESSION(s);
        s.user.replace(txtV, "200");
        QCOMPARE(s.text(txtV), "150");
        QCOMPARE_EQ(s.state().Vakt, 150.0f);
        QCOMPARE(s.state().Vmax, 150);
        QVERIFY(!s.user.failed());
    }

    void emptiedSpeedIsRefilled() {
        Session s(",");
        s.user.replace(txtV, "80");
        s.user.clear(txtV);
        QCOMPARE(s.text(txtV), "80");
        QCOMPARE_EQ(s.state().Vakt, 80.0f);
    }

    void speedShowsItsOwnForm_data() {
        addLocaleColumn();
        QTest::addColumn<QByteArray>("pasted");
        QTest::addColumn<QByteArray>("shown");
        QTest::addColumn<float>("vakt");
        for (bool german : {true, false}) {
            localeRow(german, "trailing separator") << QByteArray("5,") << QByteArray("5") << 5.0f;
            localeRow(german, "leading zeros") << QByteArray("007") << QByteArray("7") << 7.0f;
            localeRow(german, "negative") << QByteArray("-5") << QByteArray("0") << 0.0f;
            localeRow(german, "decimal") << QByteArray("12,50") << QByteArray("12,5") << 12.5f;
            localeRow(german, "exponent") << QByteArray("1E+02") << QByteArray("100") << 100.0f;
            localeRow(german, "eight digits")
                << QByteArray("99,1234567") << QByteArray("99,12346") << 99.12346f;
        }
    }
    void speedShowsItsOwnForm() {
        VELORIX_SESSION(s);
        QFETCH(QByteArray, pasted);
        QFETCH(QByteArray, shown);
        QFETCH(float, vakt);
        QVERIFY(!s.form.edit(txtV, s.local(pasted.toStdString())));
        QCOMPARE(s.text(txtV), s.local(shown.toStdString()));
        QCOMPARE_EQ(s.state().Vakt, vakt);
    }

    void speedTextThatIsNoNumber_data() {
        addLocaleColumn();
        QTest::addColumn<QByteArray>("pasted");
        for (bool german : {true, false}) {
            localeRow(german, "lone minus") << QByteArray("-");
            localeRow(german, "letters") << QByteArray("schnell");
            localeRow(german, "blanks") << QByteArray("  ");
            localeRow(german, "other separator") << QByteArray(german ? "1.5" : "1,5");
        }
    }
    void speedTextThatIsNoNumber() {
        VELORIX_SESSION(s);
        QFETCH(QByteArray, pasted);
        s.user.replace(txtV, "50");
        const auto failure = s.form.edit(txtV, pasted.toStdString());
        QVERIFY(failure);
        QCOMPARE(failure->kind(), FailureKind::InvalidNumber);
        QCOMPARE(s.text(txtV), pasted.toStdString()); // the text stays as typed
        QCOMPARE_EQ(s.state().Vakt, 50.0f);
    }

    // While the stored rating cannot give a Vmax, every clamp fails; back in range it works.
    void outOfRangeRatingBlocksTheClamp() {
        Session s(",");
        s.user.replace(txtVFzg, "30000");
        QVERIFY(s.user.failed());
        s.user.forgetFailures();
        s.user.replace(txtV, "9");
        QCOMPARE(s.user.failures().size(), std::size_t{1});
        QCOMPARE(s.user.lastFailure(), FailureKind::Overflow);
        s.user.forgetFailures();
        s.user.replace(txtVFzg, "4");
        QCOMPARE(s.text(lblVmax), "6");
        s.user.type(txtV, "9");
        QCOMPARE(s.text(txtV), "6");
        QVERIFY(!s.user.failed());
    }
};

QTEST_APPLESS_MAIN(TestVehicleFields)
#include "tst_vehicle_fields.moc"
