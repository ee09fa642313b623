// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/layout.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace velorix {

// Room in whole pixels, as a view measures a caption in its own font.
struct Extent {
    int width = 0;
    int height = 0;
};

// What every control's caption needs on one line, in table order, as the view draws it.
using OneLineNeeds = std::array<Extent, kControlCount>;

// What a wrapping caption needs when broken to lines of the given width in pixels: any callable
// taking (Ctl, int width), borrowed for the one call it is passed to. Lighter than a
// std::function, which would double the size of the page's scale module.
class WrappedNeed {
public:
    template <typename F>
    WrappedNeed(const F& need) // NOLINT(google-explicit-constructor): passed as a lambda
        : need_(&need)
        , call_([](const void* f, Ctl c, int width) {
            return (*static_cast<const F*>(f))(c, width);
        }) {}
    Extent operator()(Ctl c, int width) const { return call_(need_, c, width); }

private:
    const void* need_;
    Extent (*call_)(const void*, Ctl, int);
};

// A length in twips as whole pixels at the given scale.
int toPixels(int twips, double twipsPerPixel);

// The window's width in whole pixels at the given scale: a view narrower than this cannot show
// it whole, and the page stands its controls in one column there.
int windowWidth(double twipsPerPixel);

// Twips become pixels by one factor for the whole window. The reference is 15 twips per pixel;
// where the view's font needs more room, the scale drops in quarter steps (to 4 at the least)
// until every caption fits whole in its control. Returns twips per pixel.
double fittingTwipsPerPixel(const OneLineNeeds& oneLine, const WrappedNeed& wrapped);

// The words of a caption, as it breaks at its blanks.
std::size_t wordCount(std::string_view caption);

// How many lines a caption of `words` words takes when each line holds as many words as fit in
// `width`. runs[first * words + last] is the width of the words first to last, blanks between;
// the view measures them once, since its font may kern or round a run unlike its parts.
int wrappedLines(std::span<const int> runs, std::size_t words, int width);

} // namespace velorix
