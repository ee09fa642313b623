// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "numbers/arithmetic.h"

#include <string>
#include <string_view>

namespace velorix {

// The user's number conventions, read once at start from the system locale. Only the decimal
// separator matters: no other locale character is accepted in a field.
struct NumberFormat {
    std::string decimalSeparator = ".";
};

// A field text reads as a number when it is, after optional blanks: an optional sign, digits
// with at most one decimal separator (at least one digit, a trailing separator allowed), an
// optional exponent "E" or "e" with optional sign and digits, and optional blanks again.
// Blanks are spaces, tabs and line breaks (CR, LF); inside the number there are none.
// Anything else, the empty text included, fails with invalid number.

// Rounds the decimal value to the nearest float; beyond the float range fails with overflow,
// while values too small for a float become zero or a subnormal.
Real realFromText(std::string_view text, const NumberFormat& format);

// Rounds the decimal the text is, exactly and however long, to the nearest integer, halves to
// even; fails with overflow only when that integer lies outside -32768..32767.
Integer integerFromText(std::string_view text, const NumberFormat& format);

// The sign of the number the text reads as, -1, 0 or 1, decided on the decimal digits themselves:
// neither rounding nor range plays a part, so 1E-50 is positive and 1E+50 no overflow.
int signFromText(std::string_view text, const NumberFormat& format);

// Decimal digits with "-" for a negative value, no blanks, no grouping.
std::string integerToText(Integer value);

// The value rounded to 7 significant digits (halves to even on the exact binary value), trailing
// zeros dropped, the locale's decimal separator, no grouping, never "-0". Magnitudes from 1e7
// on and below 1e-4 are written in exponent form, such as "1,234568E+08" or "5E-05".
// A not-a-number or infinity has no text and fails with a floating-point fault.
std::string realToText(Real value, const NumberFormat& format);

} // namespace velorix
