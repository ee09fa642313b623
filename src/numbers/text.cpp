// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers/text.h"

#include "numbers/failure.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fast_float/fast_float.h>
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

// The exact value of a positive float rounded to seven significant digits, a tie going to the
// even neighbour: the digits and the power of ten of the first one. A float is m·2^e with m
// below 2^24, so its exact decimal expansion has at most 112 digits: they are worked out in a
// small big number of base-10^9 limbs, which is all the precision this needs. A general
// formatting library would carry some 30 KB of code into the web build for this one job.
struct SevenDigits {
    std::string digits;
    int exponent = 0;
};
SevenDigits sevenDigits(float magnitude) {
    std::uint32_t bits = 0; // no std::bit_cast in every library this builds with
    static_assert(sizeof bits == sizeof magnitude);
    std::memcpy(&bits, &magnitude, sizeof bits);
    const std::uint32_t biased = bits >> 23;
    const std::uint32_t mantissa = bits & 0x7fffffu;
    // value = limbs · 10^power, limbs little-endian in base 10^9.
    std::array<std::uint32_t, 14> limbs{biased == 0 ? mantissa : mantissa | 0x800000u};
    std::size_t used = 1;
    const auto multiply = [&](std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < used; ++i) {
            carry += std::uint64_t{limbs[i]} * factor;
            limbs[i] = static_cast<std::uint32_t>(carry % 1000000000u);
            carry /= 1000000000u;
        }
        if (carry != 0) {
            limbs[used++] = static_cast<std::uint32_t>(carry);
        }
    };
    int twos = (biased == 0 ? 1 : static_cast<int>(biased)) - 150;
    int power = 0;
    if (twos >= 0) {
        for (; twos >= 28; twos -= 28) {
            multiply(1u << 28);
        }
        multiply(1u << twos);
    } else {
        // m·2^-k = m·5^k·10^-k
        power = twos;
        for (int fives = -twos; fives > 0; fives -= 12) {
            std::uint32_t factor = 1; // 5^12 is the largest power of five below 10^9
            for (int k = std::min(fives, 12); k > 0; --k) {
                factor *= 5;
            }
            multiply(factor);
        }
    }
    std::string all = std::to_string(limbs[used - 1]);
    for (std::size_t i = used - 1; i-- > 0;) {
        const std::string limb = std::to_string(limbs[i]);
        all.append(9 - limb.size(), '0');
        all += limb;
    }
    SevenDigits result{all.substr(0, 7), static_cast<int>(all.size()) - 1 + power};
    result.digits.append(7 - result.digits.size(), '0');
    if (all.size() > 7) {
        const char next = all[7];
        const bool rest = all.find_first_not_of('0', 8) != std::string::npos;
        if (next > '5' || (next == '5' && (rest || (result.digits[6] - '0') % 2 != 0))) {
            std::size_t i = 7;
            while (i > 0 && result.digits[i - 1] == '9') {
                result.digits[--i] = '0';
            }
            if (i == 0) {
                result.digits = "1000000";
                ++result.exponent;
            } else {
                ++result.digits[i - 1];
            }
        }
    }
    return result;
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
    if (beyond || whole > (negative ? -kIntegerMin : kIntegerMax)) {
        throw Failure(FailureKind::Overflow,
                      "die Zahl liegt gerundet außerhalb von " + integerRange());
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
    const bool negative = std::signbit(value);
    auto [digits, exponent] = sevenDigits(std::fabs(value));
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }

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
