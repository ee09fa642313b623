// SPDX-License-Identifier: GPL-3.0-or-later
// Reads any text as a real: the first byte picks the locale, the rest is the field text.

#include "checks.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace velorix;
using namespace velorix::fuzz;

namespace {

// The German text with "," and "." swapped is the English text, and reads the same.
void checkLocalesAgree(std::string_view german) {
    std::string english(german);
    for (char& c : english) {
        c = c == ',' ? '.' : c == '.' ? ',' : c;
    }
    const auto inGerman = outcomeOf([&] { return realFromText(german, kGerman); });
    const auto inEnglish = outcomeOf([&] { return realFromText(english, kEnglish); });
    if (inGerman.failure != inEnglish.failure ||
        (inGerman.value && std::bit_cast<std::uint32_t>(*inGerman.value) !=
                               std::bit_cast<std::uint32_t>(*inEnglish.value))) {
        broken("the German and the English reading of the same number differ", german, kGerman);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const NumberFormat& format = formatFor(data[0]);
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    checkReading(text, format);
    if (&format == &kGerman) {
        checkLocalesAgree(text);
    }
    return 0;
}
