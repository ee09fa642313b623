// SPDX-License-Identifier: GPL-3.0-or-later
// The window's scale for what the page measured in its font, as a program of its own: small
// enough for the page to compile and ask before it draws its first frame, so that the window
// never shows at one scale and then moves to another. No glue: the page writes the measures
// into `velorix_scale_input()`, calls `velorix_scale(count)` and asks
// `velorix_window_width(twipsPerPixel)` where its narrow layout begins.
#include "window/layout.h"
#include "window/scale.h"

#include <array>
#include <cstddef>
#include <span>

using namespace velorix;

namespace {

// Room for the one-line needs of every control and the word runs of the wrapping captions.
std::array<int, 4 * kControlCount + 64> input;

// The measures: for every control in table order the width and height its caption needs on one
// line (a wrapping caption's height is its line height), then for each wrapping caption the
// width of every run of its words, a square of words x words: the run from word i to word j at
// i x words + j, 0 where j comes before i. 0 when they do not fit the table.
double scaleFor(std::span<const int> measured) {
    OneLineNeeds oneLine{};
    std::array<std::span<const int>, kControlCount> runs{};
    std::size_t used = 2 * kControlCount;
    if (measured.size() < used) {
        return 0;
    }
    for (const ControlSpec& row : kLayout) {
        const std::size_t i = index(row.id);
        oneLine[i] = {measured[2 * i], measured[2 * i + 1]};
        if (oneLine[i].width < 0 || oneLine[i].height < 0) {
            return 0;
        }
        if (row.wraps) {
            const std::size_t words = wordCount(row.text);
            if (measured.size() - used < words * words) {
                return 0;
            }
            runs[i] = measured.subspan(used, words * words);
            used += words * words;
        }
    }
    if (used != measured.size()) {
        return 0;
    }
    const auto wrapped = [&](Ctl id, int width) {
        const std::size_t i = index(id);
        const int lines = wrappedLines(runs[i], wordCount(kLayout[i].text), width);
        // The page lets a word too long for its line overflow; only the lines count.
        return Extent{0, lines * oneLine[i].height};
    };
    return fittingTwipsPerPixel(oneLine, wrapped);
}

} // namespace

extern "C" {

int* velorix_scale_input() noexcept {
    return input.data();
}

// Twips per pixel for the first `count` measures of the input; 0 when they do not fit the table.
// Nothing here allocates or throws.
double velorix_scale(int count) noexcept {
    if (count < 0 || static_cast<std::size_t>(count) > input.size()) {
        return 0;
    }
    return scaleFor(std::span<const int>(input.data(), static_cast<std::size_t>(count)));
}

int velorix_window_width(double twipsPerPixel) noexcept {
    return windowWidth(twipsPerPixel);
}

} // extern "C"
