// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a high-density screen: the same layout in logical pixels, lines on whole device
// pixels, every caption whole. Registered to run with QT_SCALE_FACTOR=2.
#include "desktop/line_widget.h"
#include "desktop/main_window.h"
#include "desktop/qt_text.h"
#include "desktop/scale.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

#include <cmath>
#include <iostream>
#include <memory>

using namespace velorix;
using enum Ctl;

namespace {

class NoReporter : public FailureReporter {
public:
    void report(const Failure&) override { ++reports; }
    int reports = 0;
};

// One line per control: its name and its geometry in the window, in logical pixels.
QStringList layoutOf(const MainWindow& window) {
    QStringList lines{QStringLiteral("window %1 %2").arg(window.width()).arg(window.height())};
    for (const ControlSpec& row : kLayout) {
        const QWidget* w = window.widget(row.id);
        const QRect g(w->mapTo(&window, QPoint(0, 0)), w->size());
        lines << QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(qt(row.name))
                     .arg(g.x())
                     .arg(g.y())
                     .arg(g.width())
                     .arg(g.height());
    }
    return lines;
}

// Started with this flag, the test program prints the layout it builds and ends.
constexpr const char* kPrintLayout = "--print-layout";

} // namespace

class TestHiDpi : public QObject {
    Q_OBJECT

    NoReporter reporter;
    std::unique_ptr<MainWindow> window;

    QImage render(qreal ratio, const QWidget* hidden = nullptr) const {
        QImage image(window->size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::magenta);
        if (hidden) {
            const_cast<QWidget*>(hidden)->hide();
        }
        window->render(&image);
        if (hidden) {
            const_cast<QWidget*>(hidden)->show();
        }
        return image;
    }

private slots:
    void init() {
        window = std::make_unique<MainWindow>(NumberFormat{","}, reporter);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() { window.reset(); }

    // The screen really is a high-density one when the test runs as registered.
    void screenRatio() {
        const qreal expected = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
        QCOMPARE(window->devicePixelRatio(), expected);
        const QPixmap shot = window->grab();
        QCOMPARE(shot.devicePixelRatio(), expected);
        QCOMPARE(shot.size(), window->size() * expected);
    }

    // The scale factor only multiplies: a run at ratio 1 builds the very same logical layout.
    void sameLayoutAsAtRatioOne() {
        QProcess unscaled;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_SCALE_FACTOR", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        unscaled.setProcessEnvironment(env);
        unscaled.start(QCoreApplication::applicationFilePath(), {kPrintLayout});
        QVERIFY(unscaled.waitForFinished(30000));
        QCOMPARE(unscaled.exitCode(), 0);
        const QStringList atOne =
            QString::fromUtf8(unscaled.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(atOne.size(), qsizetype(kControlCount + 1));
        QCOMPARE(layoutOf(*window), atOne);
    }

    // A horizontal or vertical line is one logical pixel wide: on a ratio-r image exactly the
    // r rows (or columns) under it are fully the text colour, and all around stays what lies
    // below the line, without a half-tone pixel.
    void straightLinesAreSharp_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<qreal>("ratio");
        for (const char* line : {"Line1", "Line4", "Line5", "Line6"}) {
            for (qreal ratio : {1.0, 2.0, 3.0}) {
                QTest::addRow("%s at %g", line, ratio) << line << ratio;
            }
        }
    }
    void straightLinesAreSharp() {
        QFETCH(QString, line);
        QFETCH(qreal, ratio);
        auto* w = window->findChild<LineWidget*>(line);
        QVERIFY(w);
        const QLineF ends = w->line();
        QVERIFY(ends.dx() == 0 || ends.dy() == 0);
        const QPoint origin = w->parentWidget()->mapTo(window.get(), QPoint(0, 0));
        const QRect covered = QRectF(ends.p1(), ends.p2())
                                  .normalized()
                                  .toRect()
                                  .adjusted(0, 0, 1, 1)
                                  .translated(origin);
        const int r = static_cast<int>(ratio);
        const QRect device(covered.topLeft() * r, covered.size() * r);

        const QImage drawn = render(ratio);
        const QImage below = render(ratio, w);
        const QRgb ink = window->palette().color(QPalette::WindowText).rgb();
        const QRect around = device.adjusted(-3 * r, -3 * r, 3 * r, 3 * r);
        int inked = 0;
        for (int y = around.top(); y <= around.bottom(); ++y) {
            for (int x = around.left(); x <= around.right(); ++x) {
                const QRgb expected = device.contains(x, y) ? ink : below.pixel(x, y);
                if (drawn.pixel(x, y) != expected) {
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, not %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(drawn.pixel(x, y), 0, 16)
                                         .arg(expected, 0, 16)));
                }
                inked += drawn.pixel(x, y) == ink ? 1 : 0;
            }
        }
        QVERIFY(inked >= device.width() * device.height());
        // A line's length is the same in logical pixels at every ratio.
        QCOMPARE(device.width() + device.height(),
                 r * static_cast<int>(std::abs(ends.dx()) + std::abs(ends.dy()) + 2));
    }

    // The arrow heads are smoothed, not smeared: at ratio 2 the diagonal still reaches full
    // colour along its middle, and its drawn width is about two device pixels.
    void diagonalsStaySlim_data() {
        QTest::addColumn<QString>("line");
        QTest::newRow("upper arrow half") << "Line2";
        QTest::newRow("lower arrow half") << "Line3";
    }
    void diagonalsStaySlim() {
        QFETCH(QString, line);
        auto* w = window->findChild<LineWidget*>(line);
        QVERIFY(w);
        const QLineF ends = w->line();
        QVERIFY(ends.dx() != 0 && ends.dy() != 0);
        const QImage drawn = render(2.0);
        const QImage below = render(2.0, w);
        const QPointF origin = w->parentWidget()->mapTo(window.get(), QPoint(0, 0));
        const QLineF onImage = ends.translated(origin);
        // Across the middle third, row by row: the changed pixels of one row form one run no wider
        // than the pen's two device pixels cut at the line's slope, plus one smoothed pixel on
        // each side, and at least one of them is (nearly) fully inked.
        const QRgb ink = window->palette().color(QPalette::WindowText).rgb();
        const qreal sine = std::abs(onImage.dy()) / onImage.length();
        const int widest = static_cast<int>(std::ceil(2.0 / sine)) + 2;
        const int top = static_cast<int>(std::min(onImage.y1(), onImage.y2()) * 2);
        const int height = static_cast<int>(std::abs(onImage.dy()) * 2);
        const int left = static_cast<int>(std::min(onImage.x1(), onImage.x2()) * 2) - 4;
        const int right = static_cast<int>(std::max(onImage.x1(), onImage.x2()) * 2) + 4;
        for (int y = top + height / 3; y < top + 2 * height / 3; ++y) {
            int first = -1;
            int last = -1;
            int changed = 0;
            bool full = false;
            for (int x = left; x <= right; ++x) {
                if (drawn.pixel(x, y) != below.pixel(x, y)) {
                    first = first < 0 ? x : first;
                    last = x;
                    ++changed;
                    full = full || qGray(drawn.pixel(x, y)) <= qGray(ink) + 40;
                }
            }
            QVERIFY2(changed >= 2 && changed <= widest, qPrintable(QString::number(changed)));
            QCOMPARE(last - first + 1, changed); // one run
            QVERIFY(full);
        }
    }

    // At ratio 2 the picture is the one of ratio 1 in twice the pixels: the same logical size.
    void renderKeepsTheLogicalSize() {
        const QImage twice = render(2.0);
        QCOMPARE(twice.size(), window->size() * 2);
        QCOMPARE(twice.deviceIndependentSize(), QSizeF(window->size()));
        QCOMPARE(window->size(), QSize(toPixels(kClientWidthTwips), toPixels(kClientHeightTwips)));
        QVERIFY(reporter.reports == 0);
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], kPrintLayout) == 0) {
        NoReporter reporter;
        MainWindow window(NumberFormat{","}, reporter);
        for (const QString& line : layoutOf(window)) {
            std::cout << line.toStdString() << '\n';
        }
        return 0;
    }
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
