// SPDX-License-Identifier: GPL-3.0-or-later
// Reads any text as an integer: the first byte picks the locale, the rest is the field text.

#include "checks.h"
#include "numbers/arithmetic.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

using namespace velorix;
using namespace velorix::fuzz;

namespace {

// Rounds half to even by looking at the fraction, not through the rounding mode.
double roundedHalfToEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below; // exact: a float's fraction fits a double
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0)) {
        return below + 1;
    }
    return below;
}

void checkIntegerText(Integer value) {
    const std::string text = integerToText(value);
    const bool digitsOnly =
        text.find_first_not_of("0123456789", text.front() == '-') == std::string::npos;
    const std::string_view digits = std::string_view(text).substr(text.front() == '-');
    if (!digitsOnly || digits.empty() || (digits.size() > 1 && digits.front() == '0') ||
        (value == 0 && text != "0") || ((value < 0) != (text.front() == '-'))) {
        broken("the integer is not written as plain digits with a minus sign", text, kGerman);
    }
    for (const NumberFormat* format : kFormats) {
        const auto back = outcomeOf([&] { return integerFromText(text, *format); });
        if (back.value != value) {
            broken("the written integer did not read back", text, *format);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const NumberFormat& format = formatFor(data[0]);
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const bool grammatical = accepts(text, format.decimalSeparator);
    const auto integer = outcomeOf([&] { return integerFromText(text, format); });
    if (grammatical ? integer.failure && integer.failure != FailureKind::Overflow
                    : integer.failure != FailureKind::InvalidNumber) {
        broken(grammatical ? "a number failed as an integer other than with overflow"
                           : "a text outside the grammar did not fail with invalid number",
               text, format);
    }

    // The integer reader is the real reader followed by the rounding to an integer.
    const auto real = outcomeOf([&] { return realFromText(text, format); });
    const auto viaReal = real.value ? outcomeOf([&] { return realToInteger(*real.value); })
                                    : Outcome<Integer>{std::nullopt, real.failure};
    if (integer.value != viaReal.value || integer.failure != viaReal.failure) {
        broken("the integer reading differs from the real reading rounded", text, format);
    }

    // And that rounding is to the nearest integer, halves to even, within -32768..32767.
    if (real.value) {
        const double rounded = roundedHalfToEven(*real.value);
        const bool inRange = rounded >= -32768 && rounded <= 32767;
        if (inRange ? integer.value != static_cast<Integer>(rounded)
                    : integer.failure != FailureKind::Overflow) {
            broken("the integer is not the real rounded half to even", text, format);
        }
    }
    if (integer.value) {
        checkIntegerText(*integer.value);
    }
    return 0;
}
