// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/scale.h"

#include "desktop/qt_text.h"
#include "window/scale.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOption>

namespace velorix {

namespace {

// The room a control's caption needs on one line, measured the way the style draws it.
QSize neededSize(const ControlSpec& row, const QFontMetrics& fm, const QStyle& style) {
    const QString text = qt(row.text);
    const int frame = style.pixelMetric(QStyle::PM_DefaultFrameWidth);
    switch (row.kind) {
    case Kind::Label:
        return {fm.horizontalAdvance(text), fm.height()};
    case Kind::TextBox:
        // A line edit's frame, its text margins and one line of text.
        return {fm.horizontalAdvance(text) + 2 * frame + 4, fm.height() + 2 * frame + 4};
    case Kind::CommandButton: {
        const int margin = style.pixelMetric(QStyle::PM_ButtonMargin) + 2 * frame;
        return {fm.horizontalAdvance(text) + margin, fm.height() + margin};
    }
    case Kind::Frame: {
        // Where the style puts the title in a group box of unlimited width.
        QStyleOptionGroupBox option;
        option.text = text;
        option.fontMetrics = fm;
        option.rect = QRect(0, 0, 10000, 1000);
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        option.textAlignment = Qt::AlignLeft;
        option.lineWidth = 1;
        const QRect title =
            style.subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel);
        return {title.right() + 1 + title.left(), title.bottom() + 1};
    }
    case Kind::OptionButton:
        return {style.pixelMetric(QStyle::PM_ExclusiveIndicatorWidth),
                style.pixelMetric(QStyle::PM_ExclusiveIndicatorHeight)};
    case Kind::Line:
        break;
    }
    return {};
}

// The scale for this session's default font and style, worked out once.
double sessionTwipsPerPixel() {
    static const double scale = twipsPerPixelFor(QApplication::font(), *QApplication::style());
    return scale;
}

} // namespace

double twipsPerPixelFor(const QFont& font, const QStyle& style) {
    const QFontMetrics fm(font);
    // What each caption needs does not depend on the scale, except where a caption wraps.
    OneLineNeeds oneLine{};
    for (const ControlSpec& row : kLayout) {
        if (!row.wraps) {
            const QSize need = neededSize(row, fm, style);
            oneLine[index(row.id)] = {need.width(), need.height()};
        }
    }
    const auto wrapped = [&fm](Ctl id, int width) {
        const QSize need = fm.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap,
                                           qt(kLayout[index(id)].text))
                               .size();
        return Extent{need.width(), need.height()};
    };
    return fittingTwipsPerPixel(oneLine, wrapped);
}

int toPixels(int twips) {
    return toPixels(twips, sessionTwipsPerPixel());
}

QRect toPixels(const Twips& place) {
    return {toPixels(place.left), toPixels(place.top), toPixels(place.width),
            toPixels(place.height)};
}

QLineF toPixels(const LineEnds& ends) {
    return {QPointF(toPixels(ends.x1), toPixels(ends.y1)),
            QPointF(toPixels(ends.x2), toPixels(ends.y2))};
}

} // namespace velorix
