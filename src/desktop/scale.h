// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/layout.h"

#include <QLineF>
#include <QRect>

class QFont;
class QStyle;

namespace velorix {

// Twips become pixels by one factor for the whole window. The reference is 15 twips per pixel;
// where the toolkit's default font needs more room, the factor grows in steps of a quarter twip
// per pixel until every caption fits whole.
double fittingPixelsPerTwip(const QFont& font, const QStyle& style);

// The factor for this session's default font and style, worked out once.
double pixelsPerTwip();

int toPixels(int twips);
QRect toPixels(const Twips& place);
QLineF toPixels(const LineEnds& ends);

} // namespace velorix
