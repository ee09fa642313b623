// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers/arithmetic.h"
#include "numbers/failure.h"
#include "support/failures.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <optional>
#include <random>

using namespace velorix;
using namespace velorix::testing;

class TestArithmetic : public QObject {
    Q_OBJECT

private slots:
    void integerOperations_data() {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<bool>("product"); // else difference
        QTest::addColumn<int>("expected");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("4 × 8191") << 8191 << 4 << true << 32764 << kOk;
        QTest::newRow("4 × -8192") << -8192 << 4 << true << -32768 << kOk;
        QTest::newRow("4 × 8192") << 8192 << 4 << true << 0 << kOverflow;
        QTest::newRow("32767 × 2") << 32767 << 2 << true << 0 << kOverflow;
        QTest::newRow("-32768 × -1") << -32768 << -1 << true << 0 << kOverflow;
        QTest::newRow("-1 × 10") << -1 << 10 << true << -10 << kOk;
        QTest::newRow("-32768 − 1") << -32768 << 1 << false << 0 << kOverflow;
        QTest::newRow("32767 − -1") << 32767 << -1 << false << 0 << kOverflow;
        QTest::newRow("-32767 − 1") << -32767 << 1 << false << -32768 << kOk;
        QTest::newRow("0 − 1") << 0 << 1 << false << -1 << kOk;
    }
    void integerOperations() {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(bool, product);
        QFETCH(int, expected);
        QFETCH(std::optional<FailureKind>, failure);
        Integer result = 12345;
        const auto x = static_cast<Integer>(a);
        const auto y = static_cast<Integer>(b);
        QCOMPARE(
            failureOf([&] { result = product ? checkedProduct(x, y) : checkedDifference(x, y); }),
            failure);
        if (!failure) {
            QCOMPARE(result, expected);
        }
    }

    void realToInteger_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("22.5 to even") << 22.5 << 22 << kOk;
        QTest::newRow("37.5 to even") << 37.5 << 38 << kOk;
        QTest::newRow("-2.5 to even") << -2.5 << -2 << kOk;
        QTest::newRow("2.5000001 up") << 2.5000001 << 3 << kOk;
        QTest::newRow("-0.4 is 0") << -0.4 << 0 << kOk;
        QTest::newRow("32767.49") << 32767.49 << 32767 << kOk;
        QTest::newRow("32767.5 rounds out") << 32767.5 << 0 << kOverflow;
        QTest::newRow("-32768.5 to even") << -32768.5 << -32768 << kOk;
        QTest::newRow("-32768.51") << -32768.51 << 0 << kOverflow;
        QTest::newRow("1e300") << 1e300 << 0 << kOverflow;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 0 << kOverflow;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0 << kFault;
    }
    void realToInteger() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QFETCH(std::optional<FailureKind>, failure);
        Integer result = 12345;
        QCOMPARE(failureOf([&] { result = velorix::realToInteger(value); }), failure);
        if (!failure) {
            QCOMPARE(result, expected);
        }
    }

    void storedReals_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        QTest::newRow("largest float") << double(std::numeric_limits<float>::max()) << kOk;
        // Rounds down to the largest float, so it is still in range.
        QTest::newRow("just above the largest float") << 3.4028235e38 << kOk;
        QTest::newRow("rounds to infinity") << 3.4028236e38 << kOverflow;
        QTest::newRow("negative beyond range") << -1e39 << kOverflow;
        QTest::newRow("underflow passes") << 1e-50 << kOk;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << kFault;
    }
    void storedReals() {
        QFETCH(double, value);
        QFETCH(std::optional<FailureKind>, failure);
        Real stored = 1;
        QCOMPARE(failureOf([&] { stored = storeReal(value); }), failure);
        if (!failure) {
            QCOMPARE_EQ(stored, static_cast<float>(value));
        }
    }

    void quotients_data() {
        QTest::addColumn<double>("dividend");
        QTest::addColumn<double>("divisor");
        QTest::addColumn<double>("quotient");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        // 142.857142857142861..., the double nearest 1000/7.
        QTest::newRow("10000 / 70") << 10000.0 << 70.0 << 142.85714285714286 << kOk;
        QTest::newRow("by zero") << 6000.0 << 0.0 << -1.0 << kFault;
        QTest::newRow("by negative zero") << 1.0 << -0.0 << -1.0 << kFault;
        QTest::newRow("0 / 0") << 0.0 << 0.0 << -1.0 << kFault;
        QTest::newRow("0 / 5") << 0.0 << 5.0 << 0.0 << kOk;
    }
    void quotients() {
        QFETCH(double, dividend);
        QFETCH(double, divisor);
        QFETCH(double, quotient);
        QFETCH(std::optional<FailureKind>, failure);
        // A failed division leaves q as it was.
        double q = -1;
        QCOMPARE(failureOf([&] { q = checkedQuotient(dividend, divisor); }), failure);
        QCOMPARE_EQ(q, quotient);
    }

    void rounding_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("places");
        QTest::addColumn<float>("expected");
        QTest::newRow("100.32 to 0") << 100.32f << 0 << 100.0f;
        QTest::newRow("1.3157895 to 2") << 1.3157895f << 2 << 1.32f;
        QTest::newRow("2.5 to even") << 2.5f << 0 << 2.0f;
        QTest::newRow("3.5 to even") << 3.5f << 0 << 4.0f;
        QTest::newRow("-2.5 to even") << -2.5f << 0 << -2.0f;
        QTest::newRow("0.125 exact tie down") << 0.125f << 2 << 0.12f;
        QTest::newRow("0.375 exact tie up") << 0.375f << 2 << 0.38f;
        // 1.005 is stored just below the tie, so it rounds down.
        QTest::newRow("1.005 as stored") << 1.005f << 2 << 1.0f;
        QTest::newRow("93/76 to 2") << 93.0f / 76.0f << 2 << 1.22f;
        QTest::newRow("142.857 to 0") << 142.85715f << 0 << 143.0f;
        QTest::newRow("whole large value") << 3.0e30f << 2 << 3.0e30f;
    }
    void rounding() {
        QFETCH(float, value);
        QFETCH(int, places);
        QFETCH(float, expected);
        QCOMPARE_EQ(roundReal(value, places), expected);
    }

    // The result must be the float nearest to n / 100, n the rounded hundredths; checked exactly
    // against its two neighbours, for floats of every magnitude that has hundredths.
    void roundingToHundredthsIsCorrectlyRounded() {
        std::mt19937 random(20261208);
        std::uniform_real_distribution<float> exponent(-10.0f, 23.0f);
        for (int i = 0; i < 200000; ++i) {
            const float x = std::exp2(exponent(random)) * (random() % 2 ? 1.0f : -1.0f);
            const double n = std::nearbyint(double(x) * 100);
            const float r = roundReal(x, 2);
            const double error = std::fabs(double(r) * 100 - n);
            for (float neighbour : {std::nextafter(r, -INFINITY), std::nextafter(r, INFINITY)}) {
                if (std::fabs(double(neighbour) * 100 - n) < error) {
                    QFAIL(qPrintable(
                        QString("round(%1, 2) gave %2").arg(x, 0, 'g', 9).arg(r, 0, 'g', 9)));
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestArithmetic)
#include "tst_arithmetic.moc"
