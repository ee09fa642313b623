// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineF>
#include <QWidget>

namespace velorix {

// A straight decorative line. It covers only the rectangle around its ends and lets the mouse
// through to whatever lies below.
class LineWidget : public QWidget {
    Q_OBJECT

public:
    // The ends in the parent's coordinates.
    LineWidget(QLineF line, QWidget* parent);

    QLineF line() const { return line_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLineF line_;
};

} // namespace velorix
