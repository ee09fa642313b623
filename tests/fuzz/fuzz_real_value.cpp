// SPDX-License-Identifier: GPL-3.0-or-later
// Writes floats of any bit pattern: every 4 input bytes are one float, in every locale.

#include "checks.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace velorix;
using namespace velorix::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (std::size_t at = 0; at + 4 <= size; at += 4) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, data + at, sizeof bits);
        const auto value = std::bit_cast<float>(bits);
        for (const NumberFormat* format : kFormats) {
            if (std::isfinite(value)) {
                checkWriting(value, *format);
                continue;
            }
            const auto written = outcomeOf([&] { return realToText(value, *format); });
            if (written.failure != FailureKind::FloatingPointFault) {
                broken("a value that is not finite was not refused with a floating-point fault",
                       value, *format);
            }
        }
    }
    return 0;
}
