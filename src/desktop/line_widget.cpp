// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/line_widget.h"

#include "desktop/device_pixels.h"

#include <QPainter>
#include <QPen>

namespace velorix {

LineWidget::LineWidget(QLineF line, QWidget* parent)
    : QWidget(parent)
    , line_(line) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // The pixels from one end to the other and one of room on every side: a line of one pixel
    // drawn two device pixels thick, at a ratio of 1.5 say, still lies inside.
    const QRectF ends = QRectF(line.p1(), line.p2()).normalized();
    setGeometry(ends.toAlignedRect().adjusted(-1, -1, 2, 2));
}

void LineWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor colour = palette().color(QPalette::WindowText);
    const QLineF line = line_.translated(-pos());
    if (line.dx() == 0 || line.dy() == 0) {
        // The row or column of pixels from one end to the other, on whole device pixels: as
        // sharp at a fractional ratio as at ratio 1, and as thick as every other line.
        DevicePixels device(painter);
        QRect pixels = device.snap(QRectF(line.p1(), line.p2()).normalized().adjusted(0, 0, 1, 1));
        if (line.dy() == 0) {
            pixels.setHeight(device.line());
        } else {
            pixels.setWidth(device.line());
        }
        device.fill(pixels, colour);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1));
    painter.drawLine(line);
}

} // namespace velorix
