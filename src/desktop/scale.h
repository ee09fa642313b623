// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/layout.h"

#include <QLineF>
#include <QRect>

class QFont;
class QStyle;

namespace velorix {

// The window's scale in twips per pixel for this font and style: each caption measured the way
// the style draws it, the choice left to the window's core.
double twipsPerPixelFor(const QFont& font, const QStyle& style);

// Twips as whole pixels at this session's scale: the one for its default font and style.
int toPixels(int twips);
QRect toPixels(const Twips& place);
QLineF toPixels(const LineEnds& ends);

} // namespace velorix
