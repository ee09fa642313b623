// SPDX-License-Identifier: GPL-3.0-or-later
// The window reads its number format from the system locale once, at start. CTest runs this
// test under a German and an English locale.
#include "desktop/main_window.h"
#include "support/desktop.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace velorix;

namespace {

class RecordingReporter : public FailureReporter {
public:
    void report(const Failure& failure) override { messages << failure.message().c_str(); }
    QStringList messages;
};

} // namespace

class TestSystemLocale : public QObject {
    Q_OBJECT

    const QString separator = qEnvironmentVariable("VELORIX_EXPECTED_SEPARATOR");

private slots:
    void separatorFromTheLocale() {
        QVERIFY(!separator.isEmpty());
        QCOMPARE(QString::fromStdString(systemNumberFormat().decimalSeparator), separator);
    }

    // Typed into the real window, the locale's separator reads and the other one does not.
    void typedTextsFollowTheLocale() {
        RecordingReporter reporter;
        MainWindow window(systemNumberFormat(), reporter);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window, testing::kHang));
        auto* gForce = window.findChild<QLineEdit*>("txtGForceMK");
        auto* option = window.findChild<QWidget*>("optGForce");
        QTest::mouseClick(option, Qt::LeftButton);
        gForce->selectAll();
        QTest::keyClicks(gForce, "100");
        const QString other = separator == "," ? "." : ",";
        QCOMPARE(window.findChild<QLineEdit*>("txtGForce")->text(), "1" + separator + "32");
        QVERIFY(reporter.messages.isEmpty());
        gForce->selectAll();
        QTest::keyClicks(gForce, "1" + other + "5");
        QCOMPARE(reporter.messages.size(), 2); // "1" reads; "1" with either ending does not
        QVERIFY(reporter.messages.front().startsWith("Ungültige Zahl"));
    }
};

QTEST_MAIN(TestSystemLocale)
#include "tst_system_locale.moc"
