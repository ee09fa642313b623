// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a high-density screen: the same layout in logical pixels, lines and frame edges
// on whole device pixels. Registered to run with QT_SCALE_FACTOR=2, and on Wayland at the
// output's scale, which VELORIX_EXPECTED_RATIO then gives.
#include "desktop/line_widget.h"
#include "desktop/main_window.h"
#include "desktop/qt_text.h"
#include "desktop/scale.h"
#include "support/desktop.h"

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

    // The colours met walking eight pixels from `from` (the middle of a pixel of the window) by
    // `step`, each with the number of device pixels it lasts.
    static QList<std::pair<QRgb, int>> runs(const QImage& image, QPointF from, QPoint step,
                                            qreal ratio) {
        QList<std::pair<QRgb, int>> found;
        QPoint at(static_cast<int>(std::floor(from.x() * ratio)),
                  static_cast<int>(std::floor(from.y() * ratio)));
        for (int i = 0; i < qRound(8 * ratio); ++i, at += step) {
            if (found.isEmpty() || found.back().first != image.pixel(at)) {
                found.append({image.pixel(at), 0});
            }
            ++found.back().second;
        }
        return found;
    }
    static QList<QRgb> colours(const QList<std::pair<QRgb, int>>& runs) {
        QList<QRgb> only;
        for (auto [colour, length] : runs) {
            only << colour;
        }
        return only;
    }

private slots:
    void init() {
        window = std::make_unique<MainWindow>(NumberFormat{","}, reporter);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get(), testing::kHang));
    }
    void cleanup() {
        testing::keepPicturesOfAFailure();
        window.reset();
    }

    // The screen really is a high-density one when the test runs as registered.
    void screenRatio() {
        const qreal expected = qEnvironmentVariable("VELORIX_EXPECTED_RATIO",
                                                    qEnvironmentVariable("QT_SCALE_FACTOR", "1"))
                                   .toDouble();
        // A fractional scale comes from the compositor after the window is first shown.
        QTRY_COMPARE_WITH_TIMEOUT(window->devicePixelRatio(), expected, testing::kHang);
        const QPixmap shot = window->grab();
        QCOMPARE(shot.devicePixelRatio(), expected);
        QCOMPARE(shot.size(), window->size() * expected);
    }

    // The ratio only multiplies: a run at ratio 1 on the same platform, where a scale factor
    // undoes the screen's, builds the very same logical layout.
    void sameLayoutAsAtRatioOne() {
        QProcess unscaled;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const qreal factor = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
        env.insert("QT_SCALE_FACTOR",
                   QString::number(factor / window->screen()->devicePixelRatio(), 'g', 17));
        env.insert("QT_QPA_PLATFORM", QGuiApplication::platformName());
        unscaled.setProcessEnvironment(env);
        unscaled.start(QCoreApplication::applicationFilePath(), {kPrintLayout});
        QVERIFY(unscaled.waitForFinished(testing::kHang));
        QCOMPARE(unscaled.exitCode(), 0);
        const QStringList atOne =
            QString::fromUtf8(unscaled.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(atOne.size(), qsizetype(kControlCount + 1));
        QCOMPARE(layoutOf(*window), atOne);
    }

    // A horizontal or vertical line is one logical pixel wide. On a ratio-r image it covers
    // exactly the device pixels from the one nearest its start to the one nearest its end, r
    // rounded of them thick (at least one), fully in the text colour; all around stays what lies
    // below the line, without a half-tone pixel.
    void straightLinesAreSharp_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<qreal>("ratio");
        for (const char* line : {"Line1", "Line4", "Line5", "Line6"}) {
            for (qreal ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
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
        const auto nearest = [ratio](int logical) {
            return qRound(logical * ratio);
        };
        QRect device(QPoint(nearest(covered.left()), nearest(covered.top())),
                     QPoint(nearest(covered.right() + 1) - 1, nearest(covered.bottom() + 1) - 1));
        const int thick = std::max(1, qRound(ratio));
        if (ends.dy() == 0) {
            device.setHeight(thick);
        } else {
            device.setWidth(thick);
        }

        const QImage drawn = render(ratio);
        const QImage below = render(ratio, w);
        const QRgb ink = window->palette().color(QPalette::WindowText).rgb();
        const QRect around = device.adjusted(-4, -4, 4, 4);
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
            }
        }
        // A line's length is the same in logical pixels at every ratio.
        QVERIFY(std::abs(device.width() + device.height() - thick -
                         ratio * (std::abs(ends.dx()) + std::abs(ends.dy()) + 1)) <= 1);
    }

    // A group's frame is rings of whole device pixels: across its bottom, left and right edge,
    // from outside in, the colours at any ratio are those at ratio 1 (outside, the edge, a
    // bevel, inside), the edge and the bevel equally thick, and no half-tone between them.
    void frameEdgesAreSharp_data() {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<qreal>("ratio");
        for (const char* frame : {"Frame1", "Frame3", "Frame6"}) {
            for (qreal ratio : {1.25, 1.5, 2.0, 3.0}) {
                QTest::addRow("%s at %g", frame, ratio) << frame << ratio;
            }
        }
    }
    void frameEdgesAreSharp() {
        QFETCH(QString, frame);
        QFETCH(qreal, ratio);
        QWidget* box = window->findChild<QWidget*>(frame);
        QVERIFY(box);
        const QRect g(box->mapTo(window.get(), QPoint(0, 0)), box->size());
        const QPointF middle = QRectF(g).center();
        const QImage atOne = render(1);
        const QImage atRatio = render(ratio);
        for (auto [from, step] : {std::pair{QPointF(middle.x(), g.bottom() + 2.5), QPoint(0, -1)},
                                  std::pair{QPointF(g.left() - 1.5, middle.y()), QPoint(1, 0)},
                                  std::pair{QPointF(g.right() + 2.5, middle.y()), QPoint(-1, 0)}}) {
            const auto one = runs(atOne, from, step, 1);
            QCOMPARE(one.size(), qsizetype(4));
            const auto scaled = runs(atRatio, from, step, ratio);
            QCOMPARE(colours(scaled), colours(one));
            const int thick = scaled[1].second;
            QCOMPARE(scaled[2].second, thick);
            QVERIFY2(thick >= 1 && thick <= std::ceil(ratio), qPrintable(QString::number(thick)));
        }
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
