// SPDX-License-Identifier: GPL-3.0-or-later
// One keystroke into the g-force field, the window's longest Change chain: the field rewrites
// the m/k² field, which rewrites the field, until a write repeats a text. Each iteration is one
// keystroke, alternating between typing the last character and deleting it again.
//   bench_gforce_typing [-callgrind | -tickcounter | ...]
#include "window/form.h"

#include <QTest>

#include <string>

using namespace velorix;

class BenchGForceTyping : public QObject {
    Q_OBJECT

private slots:
    void keystroke_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("second decimal") << "1,2"
                                        << "1,23";
        QTest::newRow("first decimal") << "1"
                                       << "1,5";
        QTest::newRow("whole digit") << "12"
                                     << "123";
        QTest::newRow("huge") << "1234567"
                              << "12345678";
    }
    void keystroke() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        const std::string texts[2] = {before.toStdString(), after.toStdString()};
        Form form(NumberFormat{","});
        QVERIFY(!form.load());
        QVERIFY(!form.click(Ctl::optGForce));
        QVERIFY(form.enabled(Ctl::txtGForce));
        // Every keystroke must run the whole chain: the m/k² field follows.
        QVERIFY(!form.edit(Ctl::txtGForce, texts[1]));
        QVERIFY(form.deepestChain() >= 2);
        const std::string mk = form.text(Ctl::txtGForceMK);
        QVERIFY(!form.edit(Ctl::txtGForce, texts[0]));
        QVERIFY(form.text(Ctl::txtGForceMK) != mk);

        int next = 1;
        bool failed = false;
        QBENCHMARK {
            failed = failed || form.edit(Ctl::txtGForce, texts[next]).has_value();
            next = 1 - next;
            (void)form.takeChanges();
        }
        QVERIFY(!failed);
    }
};

QTEST_GUILESS_MAIN(BenchGForceTyping)
#include "bench_gforce_typing.moc"
