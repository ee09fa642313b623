// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

namespace velorix {

// A group with its title drawn by the style and its frame on whole device pixels. The style
// stretches a small picture over the box, which smears its edges over two device pixels at any
// ratio but 1; this frame has the same rings, sharp at every ratio.
class FrameBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace velorix
