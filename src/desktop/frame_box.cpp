// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/frame_box.h"

#include "desktop/device_pixels.h"

#include <QStyleOptionGroupBox>
#include <QStylePainter>

namespace velorix {

namespace {

// A ring of this thickness along the inside of the rectangle; without its corners, which rounds
// them off by a pixel as the style does.
void ring(DevicePixels& device, const QRect& r, int thickness, const QColor& colour, bool corners) {
    const int inset = corners ? 0 : thickness;
    device.fill(QRect(r.left() + inset, r.top(), r.width() - 2 * inset, thickness), colour);
    device.fill(
        QRect(r.left() + inset, r.bottom() - thickness + 1, r.width() - 2 * inset, thickness),
        colour);
    device.fill(QRect(r.left(), r.top() + thickness, thickness, r.height() - 2 * thickness),
                colour);
    device.fill(QRect(r.right() - thickness + 1, r.top() + thickness, thickness,
                      r.height() - 2 * thickness),
                colour);
}

} // namespace

void FrameBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect title =
        style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    option.subControls &= ~QStyle::SC_GroupBoxFrame;
    painter.drawComplexControl(QStyle::CC_GroupBox, option);

    // Where the style puts its frame: a pixel below the title, from the second column to the
    // last.
    const int top = title.bottom() + 2;
    // The style's shades, a little black over what lies below: a nested group is darker than
    // the one it lies in.
    const auto shade = [](int alpha) {
        return QColor(0, 0, 0, alpha);
    };
    DevicePixels device(painter);
    const int t = device.line();
    const QRect outer = device.snap(QRectF(1, top, width() - 1, height() - top));
    ring(device, outer, t, shade(26), false);
    const QRect bevel = outer.adjusted(t, t, -t, -t);
    ring(device, bevel, t, shade(7), true);
    device.fill(bevel.adjusted(t, t, -t, -t), shade(3));
}

} // namespace velorix
