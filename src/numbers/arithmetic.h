// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace velorix {

// The two numeric types of every vehicle value.
using Integer = std::int16_t;
using Real = float;

inline constexpr long kIntegerMin = std::numeric_limits<Integer>::min();
inline constexpr long kIntegerMax = std::numeric_limits<Integer>::max();

// The whole numbers from `low` to `high` as a failure says them: "-32768 bis 32767".
std::string integerRange(long low = kIntegerMin, long high = kIntegerMax);

// Exact integer arithmetic: a result outside -32768..32767 fails with overflow.
Integer checkedProduct(Integer a, Integer b);
Integer checkedDifference(Integer a, Integer b);

// Real expressions are formed in double precision; their result is checked when it is stored as a
// single-precision real. A not-a-number fails with a floating-point fault, a value beyond the
// single-precision range with overflow; underflow and inexact results pass.
Real storeReal(double value);

// Division inside a real expression: a zero divisor fails with a floating-point fault
// (division by zero, or an invalid operation for 0/0).
double checkedQuotient(double dividend, double divisor);

// Rounds to the nearest integer, halves to the even neighbour; overflow outside the integer
// range, floating-point fault for a not-a-number.
Integer realToInteger(double value);

// Rounds to 0, 1 or 2 decimal places, halves to the even neighbour, as a single-precision real.
Real roundReal(Real value, int places);

} // namespace velorix
