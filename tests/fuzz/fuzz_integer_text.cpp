// SPDX-License-Identifier: GPL-3.0-or-later
// Reads any text as an integer: the first byte picks the locale, the rest is the field text.

#include "checks.h"
#include "numbers/arithmetic.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

using namespace velorix;
using namespace velorix::fuzz;

namespace {

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

    // The integer is the written decimal rounded half to even, overflow only when that rounded
    // value lies outside -32768..32767.
    if (grammatical) {
        const auto rounded = nearestInteger(decompose(text, format.decimalSeparator));
        const bool inRange = rounded && *rounded >= -32768 && *rounded <= 32767;
        if (inRange ? integer.value != rounded : integer.failure != FailureKind::Overflow) {
            broken("the integer is not the decimal rounded half to even", text, format);
        }
    }
    if (integer.value) {
        checkIntegerText(*integer.value);
    }
    return 0;
}
