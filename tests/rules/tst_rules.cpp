// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers/failure.h"
#include "rules/manoeuvres.h"
#include "rules/vehicle_state.h"
#include "support/failures.h"

#include <QTest>

#include <limits>
#include <optional>

using namespace velorix;
using namespace velorix::testing;

namespace {

VehicleState vehicle(int afzg, int amax, float vakt) {
    VehicleState s;
    s.AFzg = static_cast<Integer>(afzg);
    s.Amax = static_cast<Integer>(amax);
    s.Vakt = vakt;
    return s;
}

} // namespace

class TestRules : public QObject {
    Q_OBJECT

private slots:
    void maximumSpeed_data() {
        QTest::addColumn<int>("vfzg");
        QTest::addColumn<int>("vmax");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("100") << 100 << 150 << kOk;
        QTest::newRow("15: 22.5 to even") << 15 << 22 << kOk;
        QTest::newRow("25: 37.5 to even") << 25 << 38 << kOk;
        QTest::newRow("35") << 35 << 52 << kOk;
        QTest::newRow("-10") << -10 << -15 << kOk;
        QTest::newRow("21844") << 21844 << 32766 << kOk;
        QTest::newRow("21845") << 21845 << 7 << kOverflow;
        QTest::newRow("-21845: -32767.5 to even") << -21845 << -32768 << kOk;
        QTest::newRow("-21846") << -21846 << 7 << kOverflow;
    }
    void maximumSpeed() {
        QFETCH(int, vfzg);
        QFETCH(int, vmax);
        QFETCH(std::optional<FailureKind>, failure);
        VehicleState s;
        s.Vmax = 7;
        s.VFzg = static_cast<Integer>(vfzg);
        QCOMPARE(failureOf([&] { calcMAXSPEED(s); }), failure);
        QCOMPARE(s.Vmax, vmax); // unchanged (7) after a failure
    }

    void maximumAcceleration_data() {
        QTest::addColumn<int>("afzg");
        QTest::addColumn<int>("amax");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("10") << 10 << 40 << kOk;
        QTest::newRow("8191") << 8191 << 32764 << kOk;
        QTest::newRow("-8192") << -8192 << -32768 << kOk;
        QTest::newRow("8192") << 8192 << 3 << kOverflow;
        QTest::newRow("-8193") << -8193 << 3 << kOverflow;
    }
    void maximumAcceleration() {
        QFETCH(int, afzg);
        QFETCH(int, amax);
        QFETCH(std::optional<FailureKind>, failure);
        VehicleState s;
        s.Amax = 3;
        s.AFzg = static_cast<Integer>(afzg);
        QCOMPARE(failureOf([&] { calcMAXACCEL(s); }), failure);
        QCOMPARE(s.Amax, amax);
    }

    void clamp_data() {
        QTest::addColumn<float>("vakt");
        QTest::addColumn<int>("vmax");
        QTest::addColumn<float>("clamped");
        QTest::newRow("above") << 200.0f << 150 << 150.0f;
        QTest::newRow("inside") << 99.5f << 150 << 99.5f;
        QTest::newRow("at the top") << 150.0f << 150 << 150.0f;
        QTest::newRow("negative") << -3.5f << 150 << 0.0f;
        QTest::newRow("negative Vmax: upper bound first, then 0") << 10.0f << -15 << 0.0f;
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 150 << 0.0f;
    }
    void clamp() {
        QFETCH(float, vakt);
        QFETCH(int, vmax);
        QFETCH(float, clamped);
        VehicleState s;
        s.Vakt = vakt;
        s.Vmax = static_cast<Integer>(vmax);
        clampSPEED(s);
        QCOMPARE_EQ(s.Vakt, clamped);
    }

    void modifierForIntegerDemand_data() {
        QTest::addColumn<int>("amax");
        QTest::addColumn<int>("demand");
        QTest::addColumn<float>("modifier");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("60") << 40 << 60 << 1.0f << kOk;
        QTest::newRow("61") << 40 << 61 << 2.0f << kOk;
        QTest::newRow("41") << 40 << 41 << 1.0f << kOk;
        QTest::newRow("50: 0.5 rounds to 0, then up") << 40 << 50 << 1.0f << kOk;
        QTest::newRow("70: 1.5 rounds to 2") << 40 << 70 << 2.0f << kOk;
        QTest::newRow("80") << 40 << 80 << 2.0f << kOk;
        QTest::newRow("40: within") << 40 << 40 << 0.0f << kOk;
        QTest::newRow("0") << 40 << 0 << 0.0f << kOk;
        QTest::newRow("Amax 0 at start") << 0 << 1 << 1.0f << kOk;
        QTest::newRow("negative Amax moves the threshold") << -4 << -2 << 1.0f << kOk;
        QTest::newRow("largest excess") << -1 << 32766 << 1639.0f << kOk;
        QTest::newRow("excess beyond the integer range") << -32768 << 32767 << 0.0f << kOverflow;
    }
    void modifierForIntegerDemand() {
        QFETCH(int, amax);
        QFETCH(int, demand);
        QFETCH(float, modifier);
        QFETCH(std::optional<FailureKind>, failure);
        const VehicleState s = vehicle(10, amax, 0);
        Real r = 0;
        QCOMPARE(failureOf([&] { r = calcMW(s, static_cast<Integer>(demand)); }), failure);
        QCOMPARE_EQ(r, modifier);
    }

    void modifierForRealDemand_data() {
        QTest::addColumn<int>("amax");
        QTest::addColumn<float>("demand");
        QTest::addColumn<float>("modifier");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("40.3") << 40 << 40.3f << 0.0f << kOk;
        QTest::newRow("40.5: excess 0.5 to even") << 40 << 40.5f << 0.0f << kOk;
        QTest::newRow("41.5: excess 1.5 to even") << 40 << 41.5f << 1.0f << kOk;
        QTest::newRow("100.5: excess 60.5 gives 60") << 40 << 100.5f << 3.0f << kOk;
        QTest::newRow("101.5: excess 61.5 gives 62") << 40 << 101.5f << 4.0f << kOk;
        QTest::newRow("radius 70 at 100") << 40 << 142.85715f << 6.0f << kOk;
        QTest::newRow("radius 14 at 100") << 40 << 714.2857f << 34.0f << kOk;
        QTest::newRow("huge demand") << 40 << 1e30f << 0.0f << kOverflow;
    }
    void modifierForRealDemand() {
        QFETCH(int, amax);
        QFETCH(float, demand);
        QFETCH(float, modifier);
        QFETCH(std::optional<FailureKind>, failure);
        const VehicleState s = vehicle(10, amax, 0);
        Real r = 0;
        QCOMPARE(failureOf([&] { r = calcMW(s, demand); }), failure);
        QCOMPARE_EQ(r, modifier);
    }

    void accelerate_data() {
        QTest::addColumn<int>("afzg");
        QTest::addColumn<float>("vakt");
        QTest::addColumn<int>("successes");
        QTest::addColumn<float>("after");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("3 successes") << 10 << 50.0f << 3 << 80.0f << kOk;
        QTest::newRow("none") << 10 << 50.0f << 0 << 50.0f << kOk;
        QTest::newRow("negative lowers") << 10 << 50.0f << -2 << 30.0f << kOk;
        QTest::newRow("uses AFzg, not Amax") << 7 << 0.0f << 1 << 7.0f << kOk;
        QTest::newRow("product overflows") << 8000 << 50.0f << 5 << 50.0f << kOverflow;
    }
    void accelerate() {
        QFETCH(int, afzg);
        QFETCH(float, vakt);
        QFETCH(int, successes);
        QFETCH(float, after);
        QFETCH(std::optional<FailureKind>, failure);
        VehicleState s = vehicle(afzg, 4 * afzg, vakt);
        QCOMPARE(failureOf([&] { applyACCEL(s, static_cast<Integer>(successes)); }), failure);
        QCOMPARE_EQ(s.Vakt, after);
    }

    void brake_data() {
        QTest::addColumn<int>("afzg");
        QTest::addColumn<int>("amax");
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("d");
        QTest::addColumn<float>("after");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("within Amax") << 10 << 40 << 0 << 30 << 70.0f << kOk;
        QTest::newRow("one success: only Amax") << 10 << 40 << 0 << 60 << 60.0f << kOk;
        QTest::newRow("three successes") << 10 << 40 << 2 << 60 << 40.0f << kOk;
        QTest::newRow("five: more than requested") << 10 << 40 << 4 << 60 << 20.0f << kOk;
        QTest::newRow("none: one rating back") << 10 << 40 << -1 << 60 << 70.0f << kOk;
        QTest::newRow("exactly Amax, m unused") << 10 << 40 << 1000 << 40 << 60.0f << kOk;
        QTest::newRow("nine successes: below zero, not clamped")
            << 10 << 40 << 8 << 60 << -20.0f << kOk;
        QTest::newRow("Amax 0 at start, one success") << 10 << 0 << 0 << 30 << 100.0f << kOk;
        QTest::newRow("Amax 0 at start, three") << 10 << 0 << 2 << 30 << 80.0f << kOk;
        QTest::newRow("product overflows") << 8000 << 40 << 5 << 60 << 100.0f << kOverflow;
    }
    void brake() {
        QFETCH(int, afzg);
        QFETCH(int, amax);
        QFETCH(int, m);
        QFETCH(int, d);
        QFETCH(float, after);
        QFETCH(std::optional<FailureKind>, failure);
        VehicleState s = vehicle(afzg, amax, 100);
        QCOMPARE(
            failureOf([&] { applyBRAKE(s, static_cast<Integer>(m), static_cast<Integer>(d)); }),
            failure);
        QCOMPARE_EQ(s.Vakt, after);
    }

    void brakingMayEndBelowZero() {
        VehicleState s = vehicle(10, 40, 20);
        applyBRAKE(s, 0, 30);
        QCOMPARE_EQ(s.Vakt, -10.0f);
    }

    void turnFromRadius_data() {
        QTest::addColumn<float>("vakt");
        QTest::addColumn<float>("radius");
        QTest::addColumn<float>("g");
        QTest::addColumn<float>("aturn");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("100 on 100") << 100.0f << 100.0f << 1.31578946f << 100.0f << kOk;
        QTest::newRow("100 on 70") << 100.0f << 70.0f << 1.87969935f << 142.857147f << kOk;
        QTest::newRow("100 on 14") << 100.0f << 14.0f << 9.39849567f << 714.285706f << kOk;
        QTest::newRow("standing still") << 0.0f << 50.0f << 0.0f << 0.0f << kOk;
        QTest::newRow("radius too small") << 1e20f << 1e-20f << 0.0f << -1.0f << kOverflow;
    }
    void turnFromRadius() {
        QFETCH(float, vakt);
        QFETCH(float, radius);
        QFETCH(float, g);
        QFETCH(float, aturn);
        QFETCH(std::optional<FailureKind>, failure);
        VehicleState s = vehicle(10, 40, vakt);
        s.Radius = radius;
        s.Aturn = -1;
        Real result = 0;
        QCOMPARE(failureOf([&] { result = calcTURN(s); }), failure);
        QCOMPARE_EQ(result, g);
        QCOMPARE_EQ(s.Aturn, aturn);
    }

    void turnFromGForce_data() {
        QTest::addColumn<float>("vakt");
        QTest::addColumn<float>("g");
        QTest::addColumn<float>("aturn");
        QTest::addColumn<float>("radius");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("2 g at 100") << 100.0f << 2.0f << 152.0f << 65.7894745f << kOk;
        QTest::newRow("standing still") << 0.0f << 2.0f << 152.0f << 0.0f << kOk;
        QTest::newRow("g beyond range") << 100.0f << 1e37f << -1.0f << -1.0f << kOverflow;
        QTest::newRow("radius beyond range")
            << 1e19f << 1e-40f << 7.59995904e-39f << -1.0f << kOverflow;
    }
    void turnFromGForce() {
        QFETCH(float, vakt);
        QFETCH(float, g);
        QFETCH(float, aturn);
        QFETCH(float, radius);
        QFETCH(std::optional<FailureKind>, failure);
        VehicleState s = vehicle(10, 40, vakt);
        s.Radius = -1;
        s.Aturn = -1;
        QCOMPARE(failureOf([&] { calcTURN(s, g); }), failure);
        QCOMPARE_EQ(s.Aturn, aturn);
        QCOMPARE_EQ(s.Radius, radius);
    }

    void takeTurn_data() {
        QTest::addColumn<float>("vakt");
        QTest::addColumn<float>("radius");
        QTest::addColumn<float>("aturn");
        QTest::addColumn<float>("angle");
        QTest::addColumn<float>("after");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("100 on 100") << 100.0f << 100.0f << 100.0f << 60.0f << 0.0f << kOk;
        QTest::newRow("50 on 120") << 50.0f << 120.0f << 20.8f << 25.0f << 29.2f << kOk;
        QTest::newRow("50 on 80: 37.5 to even")
            << 50.0f << 80.0f << 31.25f << 38.0f << 18.75f << kOk;
        QTest::newRow("90 on 240: 22.5 to even")
            << 90.0f << 240.0f << 0.0f << 22.0f << 90.0f << kOk;
        QTest::newRow("radius 0") << 100.0f << 0.0f << 100.0f << -1.0f << 100.0f << kFault;
        QTest::newRow("radius 0 standing still") << 0.0f << 0.0f << 0.0f << -1.0f << 0.0f << kFault;
    }
    void takeTurn() {
        QFETCH(float, vakt);
        QFETCH(float, radius);
        QFETCH(float, aturn);
        QFETCH(float, angle);
        QFETCH(float, after);
        QFETCH(std::optional<FailureKind>, failure);
        VehicleState s = vehicle(10, 40, vakt);
        s.Radius = radius;
        s.Aturn = aturn;
        Real result = -1;
        QCOMPARE(failureOf([&] { result = applyTURN(s); }), failure);
        QCOMPARE_EQ(result, angle);
        QCOMPARE_EQ(s.Vakt, after);
    }
};

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
