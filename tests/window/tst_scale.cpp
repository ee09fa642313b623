// SPDX-License-Identifier: GPL-3.0-or-later
// The window's scale, chosen from what a view measured.
#include "window/scale.h"

#include <QTest>

using namespace velorix;
using enum Ctl;

class TestScale : public QObject {
    Q_OBJECT

private slots:
    // "Erfolge" (Label16) is 615 × 255 twips; "Überstrichener Winkel in einer Kampfrunde"
    // (Label18, wrapping) 1695 × 495. Every other caption needs nothing here.
    void search_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("expected");
        QTest::newRow("fits at the reference") << 41 << 17 << 15.0; // 615/15 = 41
        QTest::newRow("one pixel wider") << 42 << 17 << 14.75;      // 615/14.75 = 41.7
        QTest::newRow("one pixel taller") << 0 << 18 << 14.5;       // 255/14.5 = 17.6
        QTest::newRow("never fits") << 1000 << 0 << 4.0;
    }
    void search() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, expected);
        OneLineNeeds oneLine{};
        oneLine[index(Label16)] = {width, height};
        const auto none = [](Ctl, int) {
            return Extent{};
        };
        QCOMPARE(fittingTwipsPerPixel(oneLine, none), expected);
    }

    // The wrapping caption is asked at the width it gets: three lines of 17 pixels below 130
    // pixels, two from there; 1695/13.25 = 128, 1695/13 = 130 and 495/13 = 38 ≥ 34.
    void wrappingCaption() {
        const auto lines = [](Ctl id, int width) {
            return id == Label18 ? Extent{0, width < 130 ? 51 : 34} : Extent{};
        };
        QCOMPARE(fittingTwipsPerPixel(OneLineNeeds{}, lines), 13.0);
    }

    // Where the page's narrow layout begins: 9105 twips at 8.75 a pixel are 1040.57 pixels.
    void windowWidth() {
        QCOMPARE(velorix::windowWidth(8.75), 1041);
        QCOMPARE(velorix::windowWidth(15.0), 607);
    }

    // Words of 30, 20 and 40 pixels, a blank of 5: runs 0–1 55, 0–2 100, 1–2 65.
    void wrappedLines_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("lines");
        QTest::newRow("all on one") << 100 << 1;
        QTest::newRow("last word down") << 99 << 2;
        QTest::newRow("each alone") << 54 << 3;
    }
    void wrappedLines() {
        QFETCH(int, width);
        QFETCH(int, lines);
        const int runs[] = {30, 55, 100, 0, 20, 65, 0, 0, 40};
        QCOMPARE(velorix::wrappedLines(runs, 3, width), lines);
        QCOMPARE(wordCount(kLayout[index(Label18)].text), std::size_t{5});
    }
};

QTEST_APPLESS_MAIN(TestScale)
#include "tst_scale.moc"
