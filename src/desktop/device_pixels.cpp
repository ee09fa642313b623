// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/device_pixels.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace velorix {

namespace {

// The nearest whole pixel, a half rounded up. Drawing for an image of another ratio than the
// widget's screen, the scale comes out a hair off (1.4999… for 1.5), hence the allowance.
int nearest(qreal at) {
    return static_cast<int>(std::floor(at + 0.5 + 1e-6));
}

} // namespace

DevicePixels::DevicePixels(QPainter& painter)
    : painter_(painter)
    , toDevice_(painter.deviceTransform())
    // The scale the painter really draws at: painting for QWidget::render, the device named is
    // still the widget on its screen.
    , line_(std::max(1, nearest(toDevice_.m11()))) {
    painter_.save();
    // What is left of the device transform without the widget's own one is the ratio's scaling
    // and where the widget lies on the device; undone, coordinates are device pixels.
    painter_.setWorldTransform(QTransform());
    painter_.setWorldTransform(painter_.deviceTransform().inverted());
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

DevicePixels::~DevicePixels() {
    painter_.restore();
}

QRect DevicePixels::snap(const QRectF& logical) const {
    const QPointF topLeft = toDevice_.map(logical.topLeft());
    const QPointF bottomRight = toDevice_.map(logical.bottomRight());
    return QRect(QPoint(nearest(topLeft.x()), nearest(topLeft.y())),
                 QPoint(nearest(bottomRight.x()) - 1, nearest(bottomRight.y()) - 1));
}

void DevicePixels::fill(const QRect& device, const QColor& colour) {
    painter_.fillRect(device, colour);
}

} // namespace velorix
