#include "window/line_widget.h"

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
    const bool diagonal = line_.dx() != 0 && line_.dy() != 0;
    painter.setRenderHint(QPainter::Antialiasing, diagonal);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawLine(line_.translated(-pos()));
}

} // namespace velorix
