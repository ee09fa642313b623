// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/line_widget.h"

#include <QPainter>
#include <QPen>

namespace velorix {

LineWidget::LineWidget(QLineF line, QWidget* parent)
    : QWidget(parent)
    , line_(line) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // One pixel of room on every side, so that a horizontal or vertical line has an area.
    const QRectF ends = QRectF(line.p1(), line.p2()).normalized();
    setGeometry(ends.toAlignedRect().adjusted(-1, -1, 1, 1));
}

void LineWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor colour = palette().color(QPalette::WindowText);
    const QLineF line = line_.translated(-pos());
    if (line.dx() == 0 || line.dy() == 0) {
        // The row or column of whole logical pixels from one end to the other: at any whole
        // device pixel ratio it covers whole device pixels, as sharp as at ratio 1.
        const QRectF ends = QRectF(line.p1(), line.p2()).normalized();
        painter.fillRect(ends.adjusted(0, 0, 1, 1), colour);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1));
    painter.drawLine(line);
}

} // namespace velorix
