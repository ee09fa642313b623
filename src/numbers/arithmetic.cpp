// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers/arithmetic.h"

#include "numbers/failure.h"

#include <cassert>
#include <cmath>

namespace velorix {

namespace {

Integer checkedInteger(long result, const char* operation, int a, int b) {
    if (result < kIntegerMin || result > kIntegerMax) {
        throw Failure(FailureKind::Overflow, std::to_string(a) + operation + std::to_string(b) +
                                                 " liegt außerhalb von " + integerRange());
    }
    return static_cast<Integer>(result);
}

[[noreturn]] void invalidOperation() {
    throw Failure(FailureKind::FloatingPointFault, "ungültige Rechenoperation");
}

} // namespace

std::string integerRange(long low, long high) {
    return std::to_string(low) + " bis " + std::to_string(high);
}

Integer checkedProduct(Integer a, Integer b) {
    return checkedInteger(long{a} * b, " × ", a, b);
}

Integer checkedDifference(Integer a, Integer b) {
    return checkedInteger(long{a} - b, " − ", a, b);
}

Real storeReal(double value) {
    if (std::isnan(value)) {
        invalidOperation();
    }
    // The conversion rounds to nearest; only a value that rounds beyond the largest float is out
    // of range.
    const auto stored = static_cast<Real>(value);
    if (std::isinf(stored)) {
        throw Failure(FailureKind::Overflow, "das Ergebnis liegt außerhalb des Zahlenbereichs");
    }
    return stored;
}

double checkedQuotient(double dividend, double divisor) {
    if (std::isnan(dividend) || std::isnan(divisor) || (dividend == 0 && divisor == 0)) {
        invalidOperation();
    }
    if (divisor == 0) {
        throw Failure(FailureKind::FloatingPointFault, "Division durch null");
    }
    return dividend / divisor;
}

Integer realToInteger(double value) {
    if (std::isnan(value)) {
        invalidOperation();
    }
    // nearbyint rounds in the current mode, which this program never leaves: to nearest, ties
    // to even.
    const double rounded = std::nearbyint(value);
    if (rounded < kIntegerMin || rounded > kIntegerMax) {
        throw Failure(FailureKind::Overflow, "der Wert liegt außerhalb von " + integerRange());
    }
    return static_cast<Integer>(rounded);
}

Real roundReal(Real value, int places) {
    assert(places >= 0 && places <= 2);
    // From 2^23 on every float is whole, and NaN or infinity have nothing to round.
    if (!(std::fabs(value) < 8388608.0f)) {
        return value;
    }
    const double scale = places == 0 ? 1.0 : places == 1 ? 10.0 : 100.0;
    // The scaled float is exact in double, so a tie is a true tie of the stored value.
    const double scaled = std::nearbyint(static_cast<double>(value) * scale);
    // n / 10 or n / 100 is either exact or has a periodic binary expansion whose period (4 or 20
    // bits) is shorter than the 29 bits double keeps beyond float; rounding it to double and then
    // to float therefore gives the correctly rounded float.
    return static_cast<Real>(scaled / scale);
}

} // namespace velorix
