// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QRect>
#include <QTransform>

class QPainter;

namespace velorix {

// Paints rectangles on whole device pixels. Each edge of a rectangle given in the widget's own
// pixels goes to the nearest device pixel, and a line of one pixel is a whole number of device
// pixels thick: at any device pixel ratio, whole or fractional, an edge stays sharp, one colour
// instead of a half-tone smeared over two pixels. The painter draws as before once it ends.
class DevicePixels {
public:
    explicit DevicePixels(QPainter& painter);
    ~DevicePixels();
    DevicePixels(const DevicePixels&) = delete;
    DevicePixels& operator=(const DevicePixels&) = delete;

    // The rectangle of device pixels whose edges lie nearest to those of this one.
    QRect snap(const QRectF& logical) const;
    // How thick a line of one pixel is drawn: the ratio rounded, at least one device pixel.
    int line() const { return line_; }
    void fill(const QRect& device, const QColor& colour);

private:
    QPainter& painter_;
    QTransform toDevice_;
    int line_;
};

} // namespace velorix
