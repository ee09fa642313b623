// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers/failure.h"
#include "numbers/text.h"
#include "support/failures.h"

#include <QTest>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <random>

using namespace velorix;
using namespace velorix::testing;

namespace {

const NumberFormat kGerman{","};
const NumberFormat kEnglish{"."};

// The floats just above 1e28 and 1e-38 whose power-of-ten text reads back as the float below.
constexpr std::uint32_t kBelowPowers[] = {0x6e013f3a, 0x6e013f3b, 0x6e013f3c, 0x6e013f3d,
                                          0x006ce3ef, 0x006ce3f0, 0x006ce3f1, 0x006ce3f2};

// Half a unit of the 7th significant digit in x's decade, a hair over for the inexact powers.
double halfSeventhDigit(float x) {
    const double a = std::fabs(double(x));
    if (a == 0) {
        return 0;
    }
    int e = static_cast<int>(std::floor(std::log10(a)));
    if (std::pow(10.0, e) > a) {
        --e;
    } else if (std::pow(10.0, e + 1) <= a) {
        ++e;
    }
    return 0.5 * std::pow(10.0, e - 6) * (1 + 1e-9);
}

// Rows are written for the German locale; the English variant swaps "," and ".".
QByteArray inEnglish(QByteArray text) {
    for (char& c : text) {
        c = c == ',' ? '.' : c == '.' ? ',' : c;
    }
    return text;
}

} // namespace

class TestText : public QObject {
    Q_OBJECT

private:
    static void readingRows() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("german");
        QTest::addColumn<float>("real");
        QTest::addColumn<std::optional<FailureKind>>("failure");
    }

private slots:
    void readsReals_data() {
        readingRows();
        const auto row = [](const char* name, const QByteArray& text, float value,
                            std::optional<FailureKind> failure = kOk) {
            QTest::addRow("de: %s", name) << text << true << value << failure;
            QTest::addRow("en: %s", name) << inEnglish(text) << false << value << failure;
        };
        row("whole", "76", 76);
        row("decimal", "12,5", 12.5f);
        row("blanks around", "  12,5\t ", 12.5f);
        row("line breaks around", "\r\n12,5\n", 12.5f);
        row("plus sign", "+3", 3);
        row("minus sign", "-3,5", -3.5f);
        row("trailing separator", "5,", 5);
        row("leading separator", ",5", 0.5f);
        row("leading zeros", "007", 7);
        row("exponent as written", "1,234568E+08", 1.234568e8f);
        row("small exponent", "5E-05", 5e-5f);
        row("lower-case exponent", "2e3", 2000);
        row("largest float, 7 digits", "3,402823E+38", 3.402823e38f);
        row("largest float, exact", "340282346638528859811704183484516925440", 3.4028235e38f);
        row("rounds to nearest float", "0,1", 0.1f);
        row("smallest subnormal", "1,401298E-45", 1.401298e-45f);
        // The nearest float to these powers of ten lies below them.
        row("1E+28", "1E+28", std::bit_cast<float>(0x6e013f39u));
        row("1E-38, subnormal", "1E-38", std::bit_cast<float>(0x006ce3eeu));
        row("underflow to zero", "1E-50", 0);
        row("huge negative exponent", "1e-99999999999999999999", 0);
        row("zero with huge exponent", "0e99999999999999999999", 0);
        row("overflow", "3,5E+38", 0, kOverflow);
        row("overflow just past the top", "3,4028236E+38", 0, kOverflow);
        row("negative overflow", "-1e39", 0, kOverflow);
        row("huge exponent", "1e99999999999999999999", 0, kOverflow);
        row("many digits", "123456789012345678901234567890", 1.2345679e29f);
        // Texts longer than a million characters, whose digit counts outweigh any rough cap on
        // the exponent: the value alone decides between overflow and zero.
        const QByteArray millions(2000000, '0');
        row("millions of leading zeros", "0," + millions + "1e2000005", 10000);
        row("millions of leading zeros, overflow", "0," + millions + "1e2000060", 0, kOverflow);
        row("millions of digits", "1" + millions + "e-2000005", 1e-5f);
        row("millions of digits, underflow", "1" + millions + "e-2000060", 0);
        row("empty", "", 0, kInvalid);
        row("blanks only", "   ", 0, kInvalid);
        row("letters", "abc", 0, kInvalid);
        row("lone minus", "-", 0, kInvalid);
        row("lone plus", "+", 0, kInvalid);
        row("lone separator", ",", 0, kInvalid);
        row("two signs", "+-1", 0, kInvalid);
        row("sign after digits", "1-", 0, kInvalid);
        row("blank after sign", "- 1", 0, kInvalid);
        row("embedded blank", "1 000", 0, kInvalid);
        row("embedded line break", "12\n,5", 0, kInvalid);
        row("two separators", "1,2,3", 0, kInvalid);
        row("other locale's separator", "1.5", 0, kInvalid);
        row("grouping", "1.000,5", 0, kInvalid);
        row("unit after number", "12 m", 0, kInvalid);
        row("exponent without digits", "1e", 0, kInvalid);
        row("exponent sign only", "1E+", 0, kInvalid);
        row("exponent alone", "e5", 0, kInvalid);
        row("separator in exponent", "1e2,5", 0, kInvalid);
        row("infinity", "inf", 0, kInvalid);
        row("infinity spelled out", "-Infinity", 0, kInvalid);
        row("not a number", "nan", 0, kInvalid);
        row("hexadecimal", "0x10", 0, kInvalid);
        row("hexadecimal float", "0x1p3", 0, kInvalid);
        row("full-width digit", "\xef\xbc\x91", 0, kInvalid);
        row("embedded NUL",
            QByteArray("1\0"
                       "2",
                       3),
            0, kInvalid);
    }
    void readsReals() {
        QFETCH(QByteArray, text);
        QFETCH(bool, german);
        QFETCH(float, real);
        QFETCH(std::optional<FailureKind>, failure);
        float value = 42;
        QCOMPARE(failureOf([&] {
                     value = realFromText(text.toStdString(), german ? kGerman : kEnglish);
                 }),
                 failure);
        if (!failure) {
            QCOMPARE_EQ(value, real);
        }
    }

    void readsNegativeZero() {
        const float underflow = realFromText("-1e-60", kGerman);
        QCOMPARE_EQ(underflow, 0.0f);
        QVERIFY(std::signbit(underflow));
        QVERIFY(std::signbit(realFromText("-0", kGerman)));
    }

    void readsIntegers_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("german");
        QTest::addColumn<int>("integer");
        QTest::addColumn<std::optional<FailureKind>>("failure");
        const auto row = [](const char* name, const QByteArray& text, int value,
                            std::optional<FailureKind> failure = kOk) {
            QTest::addRow("de: %s", name) << text << true << value << failure;
            QTest::addRow("en: %s", name) << inEnglish(text) << false << value << failure;
        };
        row("3,5 to even", "3,5", 4);
        row("2,5 to even", "2,5", 2);
        row("-2,5 to even", "-2,5", -2);
        row("0,5 to even", "0,5", 0);
        row("0,6", "0,6", 1);
        row("trailing separator", "12,", 12);
        row("largest", "32767", 32767);
        row("smallest", "-32768", -32768);
        row("32767,4", "32767,4", 32767);
        row("32767,5 rounds out", "32767,5", 0, kOverflow);
        row("-32768,5 to even", "-32768,5", -32768);
        row("-32769", "-32769", 0, kOverflow);
        row("40000", "40000", 0, kOverflow);
        row("exponent", "1,5E+02", 150);
        // Rounded from the written digits, never from a nearby float.
        row("just above a half", "2,5000001", 3);
        row("just above zero's half", "0,50000001", 1);
        row("fraction past a half", "20000,5001", 20001);
        row("just below the top's half", "32767,4999999", 32767);
        row("just below the bottom's half", "-32768,4999999", -32768);
        row("tie in exponent form", "25E-1", 2);
        row("tie up in exponent form", "3,5E0", 4);
        row("top tie in exponent form", "3,27675E+4", 0, kOverflow);
        row("tie below the top", "3,27665E+4", 32766);
        row("negative tie beyond the bottom", "-3,27685E+4", -32768);
        row("half of a tenth", "5E-1", 0);
        row("above a half, shifted", "0,0051E+2", 1);
        row("huge exponent", "1E+99999999999999999999", 0, kOverflow);
        row("huge negative exponent", "9E-99999999999999999999", 0);
        row("zero with huge exponent", "0E+99999999999999999999", 0);
        const QByteArray zeros(100000, '0');
        row("tie with long zeros", "0,5" + zeros, 0);
        row("long text past a tie", "0,5" + zeros + "1", 1);
        row("long digits shifted back", "1" + zeros + "E-100000", 1);
        row("line breaks around", "\r\n120\n", 120);
        row("line break inside", "1\n20", 0, kInvalid);
        row("beyond float range", "1E+39", 0, kOverflow);
        row("empty", "", 0, kInvalid);
        row("letters", "zehn", 0, kInvalid);
        row("other locale's separator", "2.5", 0, kInvalid);
    }
    void readsIntegers() {
        QFETCH(QByteArray, text);
        QFETCH(bool, german);
        QFETCH(int, integer);
        QFETCH(std::optional<FailureKind>, failure);
        Integer value = 12345;
        QCOMPARE(failureOf([&] {
                     value = integerFromText(text.toStdString(), german ? kGerman : kEnglish);
                 }),
                 failure);
        if (!failure) {
            QCOMPARE(value, integer);
        }
    }

    void signs_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("sign");
        QTest::newRow("positive") << QByteArray("0,4") << 1;
        QTest::newRow("plus sign") << QByteArray("+2") << 1;
        QTest::newRow("negative") << QByteArray(" -3 ") << -1;
        QTest::newRow("zero") << QByteArray("0") << 0;
        QTest::newRow("negative zero") << QByteArray("-0,000") << 0;
        QTest::newRow("zero with exponent") << QByteArray("0E+99") << 0;
        QTest::newRow("too small for a float") << QByteArray("1E-50") << 1;
        QTest::newRow("too large for a float") << QByteArray("-1E+50") << -1;
        QTest::newRow("trailing separator") << QByteArray("7,") << 1;
    }
    void signs() {
        QFETCH(QByteArray, text);
        QFETCH(int, sign);
        QCOMPARE(signFromText(text.toStdString(), kGerman), sign);
        QCOMPARE(signFromText(inEnglish(text).toStdString(), kEnglish), sign);
    }

    void signOfNoNumber() {
        for (const char* text : {"", "-", "inf", "1.5", "1 2"}) {
            QCOMPARE(failureOf([&] { signFromText(text, kGerman); }), kInvalid);
        }
    }

    void readsAnyDecimalSeparator() {
        const NumberFormat arabic{"\xd9\xab"}; // U+066B ARABIC DECIMAL SEPARATOR
        QCOMPARE_EQ(realFromText("1\xd9\xab"
                                 "5",
                                 arabic),
                    1.5f);
        QCOMPARE(realToText(1.5f, arabic), std::string("1\xd9\xab"
                                                       "5"));
        QCOMPARE(failureOf([&] {
                     realFromText("1\xd9"
                                  "5",
                                  arabic);
                 }),
                 kInvalid);
    }

    void writesReals_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<QByteArray>("german");
        QTest::newRow("zero") << 0.0f << QByteArray("0");
        QTest::newRow("negative zero") << -0.0f << QByteArray("0");
        QTest::newRow("whole") << 76.0f << QByteArray("76");
        QTest::newRow("negative whole") << -5.0f << QByteArray("-5");
        QTest::newRow("one decimal") << 12.5f << QByteArray("12,5");
        QTest::newRow("seven digits") << 1.3157895f << QByteArray("1,315789");
        QTest::newRow("g from radius 70") << 10000.0f / 70 / 76 << QByteArray("1,879699");
        QTest::newRow("a from radius 70") << 10000.0f / 70 << QByteArray("142,8571");
        QTest::newRow("radius from 2 g") << 10000.0f / 152 << QByteArray("65,78947");
        QTest::newRow("1,32") << 1.32f << QByteArray("1,32");
        QTest::newRow("largest fixed") << 9999999.0f << QByteArray("9999999");
        QTest::newRow("rounds up into exponent form") << 9999999.5f << QByteArray("1E+07");
        QTest::newRow("ten million") << 1.0e7f << QByteArray("1E+07");
        QTest::newRow("eight digits") << 12345678.0f << QByteArray("1,234568E+07");
        QTest::newRow("negative large") << -2.5e20f << QByteArray("-2,5E+20");
        QTest::newRow("smallest fixed") << 0.0001f << QByteArray("0,0001");
        QTest::newRow("small fixed") << 0.00012345f << QByteArray("0,00012345");
        QTest::newRow("below fixed") << 0.00001f << QByteArray("1E-05");
        QTest::newRow("largest float")
            << std::numeric_limits<float>::max() << QByteArray("3,402823E+38");
        QTest::newRow("smallest subnormal")
            << std::numeric_limits<float>::denorm_min() << QByteArray("1,401298E-45");
        // Floats just above 1e28 or 1e-38 write as the power of ten, which reads back as the
        // float below it; that one has the finer 7 digits below the power.
        QTest::newRow("just above 1e28")
            << std::bit_cast<float>(0x6e013f3au) << QByteArray("1E+28");
        QTest::newRow("just below 1e28")
            << std::bit_cast<float>(0x6e013f39u) << QByteArray("9,999999E+27");
        QTest::newRow("just above 1e-38")
            << std::bit_cast<float>(0x006ce3efu) << QByteArray("1E-38");
        QTest::newRow("just below 1e-38")
            << std::bit_cast<float>(0x006ce3eeu) << QByteArray("9,999999E-39");
        // 12345.625 and 12345.875 are exact in binary: their 8th digit is a true tie.
        QTest::newRow("exact tie stays even") << 12345.625f << QByteArray("12345,62");
        QTest::newRow("exact tie goes to even") << 12345.875f << QByteArray("12345,88");
    }
    void writesReals() {
        QFETCH(float, value);
        QFETCH(QByteArray, german);
        QCOMPARE(QByteArray::fromStdString(realToText(value, kGerman)), german);
        QCOMPARE(QByteArray::fromStdString(realToText(value, kEnglish)), inEnglish(german));
    }

    void writesIntegers() {
        QCOMPARE(integerToText(150), std::string("150"));
        QCOMPARE(integerToText(-5), std::string("-5"));
        QCOMPARE(integerToText(0), std::string("0"));
        QCOMPARE(integerToText(-32768), std::string("-32768"));
    }

    void refusesToWriteNonFinite() {
        const auto fault = std::optional<FailureKind>{FailureKind::FloatingPointFault};
        QCOMPARE(failureOf([] { realToText(std::numeric_limits<float>::infinity(), kGerman); }),
                 fault);
        QCOMPARE(failureOf([] { realToText(std::numeric_limits<float>::quiet_NaN(), kGerman); }),
                 fault);
    }

    // Every integer reads back from its text, whichever locale.
    void integerRoundTrip() {
        for (int i = -32768; i <= 32767; ++i) {
            const auto value = static_cast<Integer>(i);
            const std::string text = integerToText(value);
            if (integerFromText(text, kGerman) != value ||
                integerFromText(text, kEnglish) != value) {
                QFAIL(text.c_str());
            }
        }
    }

    // The float the 7 significant digits of a text read back as, worked out with exact decimal
    // arithmetic: the value rounded to 7 digits (halves to even), then the nearest float to that.
    void readsBackSevenDigits_data() {
        QTest::addColumn<std::uint32_t>("written");
        QTest::addColumn<std::uint32_t>("readBack");
        QTest::newRow("1.23 holds") << 0x3f9d70a4u << 0x3f9d70a4u;
        QTest::newRow("12345678 reads as 12345680") << 0x4b3c614eu << 0x4b3c6150u;
        QTest::newRow("1.31578946 reads as 1.31578898") << 0x3fa86bcau << 0x3fa86bc6u;
        QTest::newRow("-123456.84375 reads as -123456.796875") << 0xc7f1206cu << 0xc7f12066u;
        QTest::newRow("the float above 1 reads as 1") << 0x3f800001u << 0x3f800000u;
        QTest::newRow("12345.625, a tie, reads as 12345.6201171875") << 0x4640e680u << 0x4640e67bu;
        QTest::newRow("largest float reads two below") << 0x7f7fffffu << 0x7f7ffffdu;
        QTest::newRow("smallest subnormal holds") << 0x00000001u << 0x00000001u;
        QTest::newRow("subnormal 0xffff holds") << 0x0000ffffu << 0x0000ffffu;
        QTest::newRow("just below 1e18 holds") << 0x5d5e0b6bu << 0x5d5e0b6bu;
        QTest::newRow("just below -1e-4 holds") << 0xb8d1b717u << 0xb8d1b717u;
    }
    void readsBackSevenDigits() {
        QFETCH(std::uint32_t, written);
        QFETCH(std::uint32_t, readBack);
        for (const NumberFormat* format : {&kGerman, &kEnglish}) {
            const float back =
                realFromText(realToText(std::bit_cast<float>(written), *format), *format);
            QCOMPARE(std::bit_cast<std::uint32_t>(back), readBack);
        }
    }

    // For floats of every magnitude and sign: the text reads back within half a unit of its 7th
    // significant digit plus half a float step, and writing that again gives the same text,
    // except for a power of ten that reads back as the float below it (see "just above 1e28").
    void realRoundTrip() {
        std::mt19937 random(7);
        for (int i = 0; i < 300000; ++i) {
            const auto x = std::bit_cast<float>(i < 8 ? kBelowPowers[i]
                                                      : static_cast<std::uint32_t>(random()));
            if (!std::isfinite(x)) {
                continue;
            }
            for (const NumberFormat* format : {&kGerman, &kEnglish}) {
                const std::string text = realToText(x, *format);
                const float back = realFromText(text, *format);
                const float step = std::nextafter(std::fabs(back), INFINITY) - std::fabs(back);
                const bool near =
                    std::fabs(double(x) - double(back)) <= halfSeventhDigit(x) + 0.5 * double(step);
                const std::string again = realToText(back, *format);
                const bool powerOfTen = text.starts_with("1E") || text.starts_with("-1E");
                const bool settled =
                    again == text ||
                    (powerOfTen && realToText(realFromText(again, *format), *format) == again);
                if (!near || !settled) {
                    QFAIL(qPrintable(QString("%1 wrote %2 and read back %3")
                                         .arg(double(x), 0, 'g', 9)
                                         .arg(QString::fromStdString(text))
                                         .arg(double(back), 0, 'g', 9)));
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestText)
#include "tst_text.moc"
