// SPDX-License-Identifier: GPL-3.0-or-later
#include "checks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace velorix::fuzz {

const NumberFormat kGerman{","};
const NumberFormat kEnglish{"."};
const NumberFormat kArabic{"\xd9\xab"}; // U+066B ARABIC DECIMAL SEPARATOR

namespace {

const NumberFormat* const allFormats[] = {&kGerman, &kEnglish, &kArabic};

// The grammar as an automaton over character classes; the separator is one class however many
// bytes it has.
enum Class { Blank, Sign, Digit, Separator, Mark, Other, kClasses };
enum State {
    Lead,
    Signed,
    Whole,
    BareSeparator,
    Fraction,
    MarkSeen,
    MarkSign,
    Exponent,
    Trail,
    kStates,
    Refused
};

// clang-format off
constexpr State kNext[kStates][kClasses] = {
    //                    Blank    Sign      Digit     Separator      Mark      Other
    /* Lead          */ {Lead,    Signed,   Whole,    BareSeparator, Refused,  Refused},
    /* Signed        */ {Refused, Refused,  Whole,    BareSeparator, Refused,  Refused},
    /* Whole         */ {Trail,   Refused,  Whole,    Fraction,      MarkSeen, Refused},
    /* BareSeparator */ {Refused, Refused,  Fraction, Refused,       Refused,  Refused},
    /* Fraction      */ {Trail,   Refused,  Fraction, Refused,       MarkSeen, Refused},
    /* MarkSeen      */ {Refused, MarkSign, Exponent, Refused,       Refused,  Refused},
    /* MarkSign      */ {Refused, Refused,  Exponent, Refused,       Refused,  Refused},
    /* Exponent      */ {Trail,   Refused,  Exponent, Refused,       Refused,  Refused},
    /* Trail         */ {Trail,   Refused,  Refused,  Refused,       Refused,  Refused},
};
// clang-format on

constexpr bool isFinal(State state) {
    return state == Whole || state == Fraction || state == Exponent || state == Trail;
}

Class classAt(std::string_view text, std::size_t& i, std::string_view separator) {
    if (text.substr(i).starts_with(separator)) {
        i += separator.size();
        return Separator;
    }
    switch (text[i++]) {
    case ' ':
    case '\t':
    case '\r':
    case '\n':
        return Blank;
    case '+':
    case '-':
        return Sign;
    case 'e':
    case 'E':
        return Mark;
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        return Digit;
    default:
        return Other;
    }
}

void printQuoted(std::string_view text) {
    std::fputc('"', stderr);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && c != '"' && c != '\\') {
            std::fputc(c, stderr);
        } else {
            std::fprintf(stderr, "\\x%02x", byte);
        }
    }
    std::fputs("\"", stderr);
}

std::string integerText(long long value) {
    std::array<char, 24> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return std::string(buffer.data(), end);
}

float signedZero(bool negative) {
    return negative ? -0.0f : 0.0f;
}

// The writer's form beyond its value: no blanks or plus sign, never "-0", exponent form
// exactly for the magnitudes that have it, no superfluous zero or separator.
void checkForm(float value, const std::string& text, const NumberFormat& format) {
    const std::string_view separator = format.decimalSeparator;
    if (!accepts(text, separator)) {
        broken("the written text is outside the grammar", value, format);
    }
    const Decimal written = decompose(text, separator);
    const Decimal seven = sevenDigits(value);
    if (written.digits != seven.digits || written.point != seven.point) {
        broken("the written text is not the value's 7 significant digits", value, format);
    }
    if (text.find_first_of(" \te") != std::string::npos || text.front() == '+') {
        broken("the written text has a blank, a plus sign or a lower-case exponent", value, format);
    }
    if (seven.digits.empty()) {
        if (text != "0") {
            broken("zero is not written as 0", value, format);
        }
        return;
    }
    if (written.negative != std::signbit(value)) {
        broken("the written text has the wrong sign", value, format);
    }

    std::string_view mantissa = text;
    if (written.negative) {
        mantissa.remove_prefix(1);
    }
    const long long exponent = seven.point - 1;
    const bool exponentForm = exponent >= 7 || exponent < -4;
    const std::size_t mark = mantissa.find('E');
    if (exponentForm != (mark != std::string_view::npos)) {
        broken("the exponent form is used for the wrong magnitude", value, format);
    }
    if (exponentForm) {
        const long long magnitude = exponent < 0 ? -exponent : exponent;
        const std::string expected = std::string(exponent < 0 ? "-" : "+") +
                                     (magnitude < 10 ? "0" : "") + integerText(magnitude);
        if (mantissa.substr(mark + 1) != expected) {
            broken("the exponent is not written as a sign and two digits", value, format);
        }
        mantissa = mantissa.substr(0, mark);
    }
    const std::size_t at = mantissa.find(separator);
    const std::string_view whole = mantissa.substr(0, at);
    if (whole.empty() || (whole.size() > 1 && whole.front() == '0') ||
        (exponentForm && whole.size() != 1)) {
        broken("the digits before the separator are not in the writer's form", value, format);
    }
    if (at != std::string_view::npos) {
        const std::string_view fraction = mantissa.substr(at + separator.size());
        if (fraction.empty() || fraction.back() == '0') {
            broken("the written text ends in a zero or a separator", value, format);
        }
    }
}

} // namespace

const std::span<const NumberFormat* const> kFormats(allFormats);

const NumberFormat& formatFor(std::uint8_t selector) {
    switch (selector) {
    case ',':
        return kGerman;
    case '.':
        return kEnglish;
    case '0':
        return kArabic;
    default:
        return *allFormats[selector % 3];
    }
}

bool accepts(std::string_view text, std::string_view separator) {
    State state = Lead;
    std::size_t i = 0;
    while (i < text.size() && state != Refused) {
        state = kNext[state][classAt(text, i, separator)];
    }
    return state != Refused && isFinal(state);
}

Decimal decompose(std::string_view text, std::string_view separator) {
    Decimal decimal;
    std::size_t i = text.find_first_not_of(" \t\r\n");
    if (text[i] == '+' || text[i] == '-') {
        decimal.negative = text[i] == '-';
        ++i;
    }
    std::string all;
    long long beforeSeparator = -1;
    for (;;) {
        if (text.substr(i).starts_with(separator)) {
            beforeSeparator = static_cast<long long>(all.size());
            i += separator.size();
        } else if (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            all += text[i++];
        } else {
            break;
        }
    }
    if (beforeSeparator < 0) {
        beforeSeparator = static_cast<long long>(all.size());
    }
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (text[i] == '+' || text[i] == '-') {
            negative = text[i] == '-';
            ++i;
        }
        // Far beyond any text's length, so the point below keeps its sign.
        constexpr long long kCeiling = 1'000'000'000'000'000;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            exponent = std::min(exponent * 10 + (text[i] - '0'), kCeiling);
        }
        if (negative) {
            exponent = -exponent;
        }
    }
    const std::size_t first = all.find_first_not_of('0');
    if (first == std::string::npos) {
        return decimal; // zero, whatever its exponent
    }
    const std::size_t last = all.find_last_not_of('0');
    decimal.digits = all.substr(first, last - first + 1);
    decimal.point = beforeSeparator - static_cast<long long>(first) + exponent;
    return decimal;
}

std::optional<float> nearestFloat(const Decimal& decimal) {
    if (decimal.digits.empty()) {
        return signedZero(decimal.negative);
    }
    // Settle what is clearly beyond the float range here; from_chars gets the rest in a form
    // with a small exponent.
    if (decimal.point > 40) {
        return std::nullopt;
    }
    if (decimal.point < -50) {
        return signedZero(decimal.negative);
    }
    const std::string plain = std::string(decimal.negative ? "-" : "") + "0." + decimal.digits +
                              "e" + integerText(decimal.point);
    float value = 0;
    const char* end = plain.data() + plain.size();
    const auto [ptr, ec] = std::from_chars(plain.data(), end, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (decimal.point > 0) {
            return std::nullopt;
        }
        return signedZero(decimal.negative);
    }
    if (ec != std::errc() || ptr != end) {
        broken("the checks could not read their own decimal", plain, kEnglish);
    }
    return value;
}

std::optional<long> nearestInteger(const Decimal& decimal) {
    if (decimal.digits.empty() || decimal.point < 0) {
        return 0; // zero, or below a tenth
    }
    if (decimal.point > 5) {
        return std::nullopt; // 100000 or more
    }
    const auto point = static_cast<std::size_t>(decimal.point);
    std::string whole = decimal.digits.substr(0, point);
    whole.resize(point, '0');
    long value = 0;
    for (const char digit : whole) {
        value = value * 10 + (digit - '0');
    }
    // The digits end in a non-zero digit, so the fraction is exactly one half only as "5".
    const std::string fraction = decimal.digits.size() > point ? decimal.digits.substr(point) : "";
    if (fraction > "5" || (fraction == "5" && value % 2 == 1)) {
        ++value;
    }
    return decimal.negative ? -value : value;
}

Decimal sevenDigits(float value) {
    // "d.dddddde±XX", or with a leading "-".
    std::array<char, 32> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                   static_cast<double>(value), std::chars_format::scientific, 6)
                         .ptr;
    std::string_view text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    Decimal decimal;
    if (text.front() == '-') {
        decimal.negative = true;
        text.remove_prefix(1);
    }
    if (value == 0) {
        return decimal;
    }
    std::string digits = std::string(text.substr(0, 1)) + std::string(text.substr(2, 6));
    digits.erase(digits.find_last_not_of('0') + 1);
    int exponent = 0;
    const char* from = text.data() + 9 + (text[9] == '+' ? 1 : 0);
    std::from_chars(from, text.data() + text.size(), exponent);
    decimal.digits = std::move(digits);
    decimal.point = exponent + 1;
    return decimal;
}

void broken(std::string_view property, std::string_view text, const NumberFormat& format) {
    std::fprintf(stderr, "\nBroken: %.*s\n  separator ", static_cast<int>(property.size()),
                 property.data());
    printQuoted(format.decimalSeparator);
    std::fputs(", text ", stderr);
    printQuoted(text);
    std::fputs("\n", stderr);
    std::abort();
}

void broken(std::string_view property, float value, const NumberFormat& format) {
    std::array<char, 64> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    std::fprintf(stderr, "\nBroken: %.*s\n  separator ", static_cast<int>(property.size()),
                 property.data());
    printQuoted(format.decimalSeparator);
    std::fprintf(stderr, ", value %.*s (bits 0x%08x)\n", static_cast<int>(end - buffer.data()),
                 buffer.data(), std::bit_cast<std::uint32_t>(value));
    std::abort();
}

void checkReading(std::string_view text, const NumberFormat& format) {
    const bool grammatical = accepts(text, format.decimalSeparator);
    const auto read = outcomeOf([&] { return realFromText(text, format); });
    // The sign comes from the digits alone: never a range failure, and exactly the decimal's.
    const auto sign = outcomeOf([&] { return signFromText(text, format); });
    if (grammatical) {
        const Decimal d = decompose(text, format.decimalSeparator);
        const int exact = d.digits.empty() ? 0 : d.negative ? -1 : 1;
        if (sign.value != exact) {
            broken("the sign of a number was not the sign of its digits", text, format);
        }
    } else if (sign.failure != FailureKind::InvalidNumber) {
        broken("a text outside the grammar was given a sign", text, format);
    }
    if (!grammatical) {
        if (read.value) {
            broken("a text outside the grammar was read as a number", text, format);
        }
        if (read.failure != FailureKind::InvalidNumber) {
            broken("a text outside the grammar failed other than with invalid number", text,
                   format);
        }
        return;
    }
    const auto expected = nearestFloat(decompose(text, format.decimalSeparator));
    if (!expected) {
        if (read.failure != FailureKind::Overflow) {
            broken("a number beyond the float range did not fail with overflow", text, format);
        }
        return;
    }
    if (!read.value) {
        broken(read.failure == FailureKind::InvalidNumber
                   ? "a number of the grammar was refused"
                   : "a number within the float range failed",
               text, format);
    }
    if (std::bit_cast<std::uint32_t>(*read.value) != std::bit_cast<std::uint32_t>(*expected)) {
        broken("the text did not read as the nearest float", text, format);
    }
    checkWriting(*read.value, format);
}

void checkWriting(float value, const NumberFormat& format) {
    const auto written = outcomeOf([&] { return realToText(value, format); });
    if (!written.value) {
        broken("a finite float was not written", value, format);
    }
    const std::string& text = *written.value;
    checkForm(value, text, format);

    // Always in range: the 7 digits of the largest float round down.
    const auto nearest = nearestFloat(sevenDigits(value));
    const auto back = outcomeOf([&] { return realFromText(text, format); });
    if (!back.value) {
        broken("the written text did not read back", value, format);
    }
    // -0 is written "0" and so reads back as +0; the form check has seen to the sign.
    if (!nearest || *back.value != *nearest) {
        broken("the written text did not read as the float nearest to its 7 digits", value, format);
    }
    const auto again = outcomeOf([&] { return realToText(*back.value, format); });
    if (again.value == text) {
        return;
    }
    // One text may change: a power of ten, such as "1E+28", whose nearest float lies below it.
    // Below a power of ten the 7-digit step is ten times finer, so that float writes as
    // "9,999999E+27". Where floats are sparser than that finer step, near 1e28 and among the
    // subnormals near 1e-38, no writer of 7 rounded digits can avoid it; the second text stays.
    const Decimal seven = sevenDigits(value);
    const Decimal below = sevenDigits(*back.value);
    if (!again.value || seven.digits != "1" || below.digits != "9999999" ||
        below.point != seven.point - 1) {
        broken("writing the value read back changed the text", value, format);
    }
    const auto settled =
        outcomeOf([&] { return realToText(realFromText(*again.value, format), format); });
    if (settled.value != again.value) {
        broken("the text below a power of ten changed when written again", value, format);
    }
}

} // namespace velorix::fuzz
