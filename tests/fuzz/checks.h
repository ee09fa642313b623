// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the fuzz targets hold the number text against. None of it shares code with the library:
// the grammar is a table-driven automaton, values are rebuilt from the digits, and the 7-digit
// rounding comes straight from the standard library.

#include "numbers/failure.h"
#include "numbers/text.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velorix::fuzz {

extern const NumberFormat kGerman;
extern const NumberFormat kEnglish;
// A separator of two bytes, so that half of one is a byte the grammar must refuse.
extern const NumberFormat kArabic;
extern const std::span<const NumberFormat* const> kFormats;

// The first input byte picks the locale: ',' German, '.' English, '0' Arabic; any other byte by
// its value modulo 3.
const NumberFormat& formatFor(std::uint8_t selector);

// Whether the text is a number of the grammar, blanks around included.
bool accepts(std::string_view text, std::string_view separator);

// A number as 0.digits × 10^point: no leading or trailing zeros in the digits, none at all for
// zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    long long point = 0;
};

// The decimal an accepted text stands for.
Decimal decompose(std::string_view text, std::string_view separator);

// The float nearest to the decimal, or nothing when that is beyond the float range.
std::optional<float> nearestFloat(const Decimal& decimal);

// The decimal rounded to the nearest integer, halves to even; nothing when that integer has
// more than five digits.
std::optional<long> nearestInteger(const Decimal& decimal);

// The float's exact binary value rounded to 7 significant digits.
Decimal sevenDigits(float value);

// A call's result, or the kind of the failure it threw.
template <typename T>
struct Outcome {
    std::optional<T> value;
    std::optional<FailureKind> failure;
};

template <typename F>
auto outcomeOf(F&& f) -> Outcome<decltype(f())> {
    try {
        return {f(), std::nullopt};
    } catch (const Failure& failure) {
        return {std::nullopt, failure.kind()};
    }
}

// Prints what broke and the input, then aborts, which libFuzzer reports with the input saved.
[[noreturn]] void broken(std::string_view property, std::string_view text,
                         const NumberFormat& format);
[[noreturn]] void broken(std::string_view property, float value, const NumberFormat& format);

// Reading the text in the locale: refused exactly when the grammar refuses it, with invalid
// number; otherwise the nearest float or overflow, and the value survives writing. Its sign is
// that of its digits.
void checkReading(std::string_view text, const NumberFormat& format);

// Writing a finite float: the text has the writer's form and its value, reads back as the float
// nearest to that value, and writing that float gives the same text again, or, for a power of
// ten whose nearest float lies below it, the text just below that then stays.
void checkWriting(float value, const NumberFormat& format);

} // namespace velorix::fuzz
