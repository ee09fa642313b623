// SPDX-License-Identifier: GPL-3.0-or-later
// Chains of Change events: the coupled g-force fields and the self-rewriting speed field end
// after a few rounds for every value, and a chain that did not would end in a failure.
#include "support/session.h"

#include <QTest>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace velorix;
using namespace velorix::testing;
using enum Ctl;

namespace {

// Values of every magnitude: whole, decimal, huge and tiny, near the float limits.
std::vector<float> sweepValues() {
    std::vector<float> values = {
        0.0f,  1.0f,    1.23f,   1.005f,   0.004999f, 0.005f,
        76.0f, 93.0f,   1e-45f,  1e-38f,   1e-8f,     9.999999e6f,
        1e7f,  3.3e37f, 4.4e36f, 4.47e36f, 1e30f,     std::numeric_limits<float>::max()};
    for (int e = -45; e <= 38; ++e) {
        for (float m : {1.0f, 1.5f, 2.25f, 4.4f, 7.77f, 9.99f}) {
            if (const float v = m * std::pow(10.0f, float(e)); std::isfinite(v)) {
                values.push_back(v);
            }
        }
    }
    std::mt19937 random(76);
    while (values.size() < 3000) {
        const auto x = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (std::isfinite(x)) {
            values.push_back(std::fabs(x));
        }
    }
    const std::size_t n = values.size();
    for (std::size_t i = 0; i < n; ++i) {
        values.push_back(-values[i]);
    }
    return values;
}

} // namespace

class TestChains : public QObject {
    Q_OBJECT

    // Far below the limit of the window; a sweep that reaches it means a chain grew.
    static constexpr int kBound = 12;

private slots:
    void coupledFieldsEnd_data() {
        addLocaleColumn();
        QTest::addColumn<bool>("intoG");
        for (bool german : {true, false}) {
            localeRow(german, "into g") << true;
            localeRow(german, "into m/k²") << false;
        }
    }
    void coupledFieldsEnd() {
        VELORIX_SESSION(s);
        QFETCH(bool, intoG);
        s.user.click(optGForce);
        const Ctl field = intoG ? txtGForce : txtGForceMK;
        const Ctl other = intoG ? txtGForceMK : txtGForce;
        int deepest = 0;
        for (float v : sweepValues()) {
            const std::string text = realToText(v, s.form.numberFormat());
            const std::string before = s.text(other);
            const auto failure = s.form.edit(field, text);
            deepest = std::max(deepest, s.form.deepestChain());
            if (failure) {
                // Only a product beyond the float range can fail here, before any write.
                QCOMPARE(failure->kind(), FailureKind::Overflow);
                QCOMPARE(s.text(other), before);
            }
        }
        QVERIFY2(deepest <= kBound, qPrintable(QString::number(deepest)));
        qInfo("deepest chain: %d", deepest);
    }

    void radiusPlanChainsEnd_data() { addLocaleRows(); }
    void radiusPlanChainsEnd() {
        VELORIX_SESSION(s);
        s.user.replace(txtVFzg, "21844");
        int deepest = 0;
        std::mt19937 random(14);
        for (int i = 0; i < 3000; ++i) {
            const float speed = std::ldexp(float(random() % 1000000) / 1e6f, int(random() % 16));
            const float radius =
                std::ldexp(float(random() % 1000000 + 1) / 1e6f, int(random() % 200) - 100);
            QVERIFY(!s.form.edit(txtV, realToText(speed, s.form.numberFormat())));
            QVERIFY(!s.form.edit(txtRadius, realToText(radius, s.form.numberFormat())));
            const auto failure = s.form.click(cmdCalcMWTURN);
            if (failure) {
                QCOMPARE(failure->kind(), FailureKind::Overflow);
            }
            deepest = std::max(deepest, s.form.deepestChain());
        }
        QVERIFY2(deepest <= kBound, qPrintable(QString::number(deepest)));
    }

    // The speed field rewrites itself once, and the rewrite is its own fixed point.
    void speedFieldEnds_data() { addLocaleRows(); }
    void speedFieldEnds() {
        VELORIX_SESSION(s);
        s.user.replace(txtVFzg, "21844");
        for (float v : sweepValues()) {
            std::string text = realToText(std::nextafter(v, 0.0f), s.form.numberFormat());
            // Texts that read as the number but show differently, as while typing.
            const std::string& separator = s.form.numberFormat().decimalSeparator;
            if (text.find('E') != std::string::npos) {
                text = " " + text;
            } else if (text.find(separator) != std::string::npos) {
                text += "0";
            } else {
                text += separator;
            }
            const auto failure = s.form.edit(txtV, text);
            QVERIFY2(!failure, failure ? failure->what() : "");
            QVERIFY(s.form.deepestChain() <= 2);
        }
    }

    // A chain deeper than the window allows ends with an overflow failure, not a crash, and
    // leaves what it did so far.
    void chainLimitEndsAChain() {
        Form form(NumberFormat{","}, 2);
        QVERIFY(!form.load());
        QVERIFY(!form.click(optGForce));
        const auto failure = form.edit(txtGForce, "1,23"); // needs three nested handlers
        QVERIFY(failure);
        QCOMPARE(failure->kind(), FailureKind::Overflow);
        QCOMPARE(form.text(txtGForceMK), "93");
        QCOMPARE(form.text(txtGForce), "1,22");
        QCOMPARE(form.deepestChain(), 2);
    }
};

QTEST_APPLESS_MAIN(TestChains)
#include "tst_chains.moc"
