// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers/text.h"

#include "numbers/failure.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fast_float/fast_float.h>
#include <fmt/compile.h>
#include <fmt/format.h>
#include <system_error>

namespace velorix {

namespace {

// A line break around a number is a blank: a value copied from a spreadsheet cell or a terminal
// arrives with one at its end.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

[[noreturn]] void notANumber(std::string_view text) {
    if (text.empty()) {
        throw Failure(FailureKind::InvalidNumber, "das Feld ist leer");
    }
    // The window names the field and quotes what the player sees of the text.
    throw Failure(FailureKind::InvalidNumber, "der Text ist keine Zahl");
}

// A text that passed the grammar, rewritten in the form the float reader takes: "-", digits,
// ".", "e" and the exponent, nothing else; and its digits with the place of the decimal point
// among them, for reading exactly as an integer.
struct Scanned {
    std::string plain;
    bool zero = true;   // every digit before the exponent is 0
    std::string digits; // every digit before the exponent, as written
    long point = 0;     // digits before the decimal point once the exponent is applied
};

bool scan(std::string_view text, const std::string& separator, Scanned& out) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && isBlank(text[i])) {
        ++i;
    }
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            out.plain += '-';
        }
        ++i;
    }
    bool digits = false;
    bool separatorSeen = false;
    bool nonZeroSeen = false;
    while (i < n) {
        if (isDigit(text[i])) {
            digits = true;
            out.plain += text[i];
            out.digits += text[i];
            nonZeroSeen = nonZeroSeen || text[i] != '0';
            ++i;
        } else if (!separatorSeen && !separator.empty() &&
                   text.compare(i, separator.size(), separator) == 0) {
            separatorSeen = true;
            out.point = static_cast<long>(out.digits.size());
            out.plain += '.';
            i += separator.size();
        } else {
            break;
        }
    }
    if (!digits) {
        return false;
    }
    long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        out.plain += 'e';
        ++i;
        bool negative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negative = text[i] == '-';
            out.plain += text[i];
            ++i;
        }
        const std::size_t first = i;
        // Saturate beyond the text's length: the digit count the exponent is added to is shorter
        // than the text, so the sum keeps its sign and stays far out of range.
        const long ceiling = static_cast<long>(n) + 1000;
        while (i < n && isDigit(text[i])) {
            exponent = std::min(exponent * 10 + (text[i] - '0'), ceiling);
            out.plain += text[i];
            ++i;
        }
        if (i == first) {
            return false;
        }
        if (negative) {
            exponent = -exponent;
        }
    }
    while (i < n && isBlank(text[i])) {
        ++i;
    }
    if (i != n) {
        return false;
    }
    if (!separatorSeen) {
        out.point = static_cast<long>(out.digits.size());
    }
    out.point += exponent;
    out.zero = !nonZeroSeen;
    return true;
}

} // namespace

Real realFromText(std::string_view text, const NumberFormat& format) {
    Scanned scanned;
    if (!scan(text, format.decimalSeparator, scanned)) {
        notANumber(text);
    }
    Real value = 0;
    const char* begin = scanned.plain.data();
    const char* end = begin + scanned.plain.size();
    // A text beyond the float range reads as an infinity, one too small for even the smallest
    // subnormal as a zero of its sign, both rounded to nearest. fast_float 3 says nothing more;
    // later versions add result_out_of_range to that same value, which is no failure of the
    // text: the plain text passed the grammar and never spells "inf", so an infinity is
    // overflow and a zero passes as the zero it rounds to.
    const auto [ptr, ec] =
        fast_float::from_chars(begin, end, value, fast_float::chars_format::general);
    if (ptr != end || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        notANumber(text);
    }
    if (std::isinf(value)) {
        throw Failure(FailureKind::Overflow,
                      "„" + std::string(text) + "“ liegt außerhalb des Zahlenbereichs");
    }
    return value;
}

Integer integerFromText(std::string_view text, const NumberFormat& format) {
    Scanned scanned;
    if (!scan(text, format.decimalSeparator, scanned)) {
        notANumber(text);
    }
    // Rounds the written decimal itself, so that no intermediate real rounds it first: the whole
    // part, then the fraction decides up or down, a tie going to the even neighbour.
    const std::string& d = scanned.digits;
    const long size = static_cast<long>(d.size());
    const long point = std::clamp(scanned.point, 0L, size);
    long whole = 0;
    bool beyond = false;
    for (long i = 0; i < point && !beyond; ++i) {
        whole = whole * 10 + (d[i] - '0');
        beyond = whole > 99999;
    }
    // Zeros the exponent appends behind the last digit.
    for (long i = size; i < scanned.point && !beyond && whole != 0; ++i) {
        whole *= 10;
        beyond = whole > 99999;
    }
    if (!beyond && scanned.point >= 0 && point < size) {
        const char first = d[point];
        const bool rest = d.find_first_not_of('0', point + 1) != std::string::npos;
        if (first > '5' || (first == '5' && (rest || whole % 2 != 0))) {
            ++whole;
        }
    }
    const bool negative = scanned.plain.front() == '-';
    if (beyond || whole > (negative ? 32768 : 32767)) {
        throw Failure(FailureKind::Overflow,
                      "die Zahl liegt gerundet außerhalb von -32768 bis 32767");
    }
    return static_cast<Integer>(negative ? -whole : whole);
}

int signFromText(std::string_view text, const NumberFormat& format) {
    Scanned scanned;
    if (!scan(text, format.decimalSeparator, scanned)) {
        notANumber(text);
    }
    if (scanned.zero) {
        return 0;
    }
    return scanned.plain.front() == '-' ? -1 : 1;
}

std::string integerToText(Integer value) {
    std::array<char, 8> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string realToText(Real value, const NumberFormat& format) {
    if (!std::isfinite(value)) {
        throw Failure(FailureKind::FloatingPointFault, "der Wert ist keine endliche Zahl");
    }
    if (value == 0) {
        return "0"; // also for -0
    }
    // "d.dddddde±XX": the exact binary value rounded to 7 significant digits.
    std::array<char, 32> buffer{};
    const auto end = fmt::format_to_n(buffer.data(), buffer.size(), FMT_COMPILE("{:.6e}"),
                                      static_cast<double>(value))
                         .out;
    const std::string_view sci(buffer.data(), static_cast<std::size_t>(end - buffer.data()));

    const bool negative = sci.front() == '-';
    const std::size_t mantissaStart = negative ? 1 : 0;
    const std::size_t e = sci.find('e');
    std::string digits;
    for (std::size_t i = mantissaStart; i < e; ++i) {
        if (sci[i] != '.') {
            digits += sci[i];
        }
    }
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    int exponent = 0;
    std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(),
                    exponent);

    std::string out = negative ? "-" : "";
    const int count = static_cast<int>(digits.size());
    if (exponent >= 7 || exponent < -4) {
        out += digits[0];
        if (count > 1) {
            out += format.decimalSeparator;
            out.append(digits, 1);
        }
        out += exponent < 0 ? "E-" : "E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) {
            out += '0';
        }
        out += std::to_string(magnitude);
    } else if (exponent < 0) {
        out += '0';
        out += format.decimalSeparator;
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const auto whole = static_cast<std::size_t>(exponent + 1);
        if (digits.size() <= whole) {
            out += digits;
            out.append(whole - digits.size(), '0');
        } else {
            out.append(digits, 0, whole);
            out += format.decimalSeparator;
            out.append(digits, whole);
        }
    }
    return out;
}

} // namespace velorix
