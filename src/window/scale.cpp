// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/scale.h"

#include <algorithm>
#include <cmath>

namespace velorix {

namespace {

constexpr double kReferenceTwipsPerPixel = 15.0;
constexpr double kStep = 0.25;
constexpr double kSmallestTwipsPerPixel = 4.0;

bool fits(const OneLineNeeds& oneLine, const WrappedNeed& wrapped, double twipsPerPixel) {
    for (const ControlSpec& row : kLayout) {
        const int width = toPixels(row.place.width, twipsPerPixel);
        const int height = toPixels(row.place.height, twipsPerPixel);
        const Extent need = row.wraps ? wrapped(row.id, width) : oneLine[index(row.id)];
        if (need.width > width || need.height > height) {
            return false;
        }
    }
    return true;
}

} // namespace

int toPixels(int twips, double twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

int windowWidth(double twipsPerPixel) {
    return toPixels(kClientWidthTwips, twipsPerPixel);
}

double fittingTwipsPerPixel(const OneLineNeeds& oneLine, const WrappedNeed& wrapped) {
    double twipsPerPixel = kReferenceTwipsPerPixel;
    while (twipsPerPixel > kSmallestTwipsPerPixel && !fits(oneLine, wrapped, twipsPerPixel)) {
        twipsPerPixel -= kStep;
    }
    return twipsPerPixel;
}

std::size_t wordCount(std::string_view caption) {
    return static_cast<std::size_t>(std::count(caption.begin(), caption.end(), ' ')) + 1;
}

int wrappedLines(std::span<const int> runs, std::size_t words, int width) {
    int lines = 1;
    std::size_t first = 0;
    for (std::size_t last = 1; last < words; ++last) {
        if (runs[first * words + last] > width) {
            ++lines;
            first = last;
        }
    }
    return lines;
}

} // namespace velorix
