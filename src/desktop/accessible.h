// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>
#include <QString>
#include <QWidget>

namespace velorix {

// Makes the window's controls answer screen readers through interfaces of our own: the window
// as a frame, text fields whose text queries always return, result labels named by their own
// text and their caption, and the announcement that speaks results. Call it before the first
// widget exists; calling it again does nothing.
void installAccessibleInterfaces();

// The piece of `text` of the given kind that holds `offset` (0 to the length): a character,
// word or sentence, or the whole text for a line or paragraph. At the end, a character is the
// empty piece there and a word or sentence the last one. Never loops over the text.
struct TextPiece {
    int start = 0;
    int end = 0;
};
TextPiece pieceAt(const QString& text, int offset, QAccessible::TextBoundaryType type);
TextPiece pieceBefore(const QString& text, int offset, QAccessible::TextBoundaryType type);
TextPiece pieceAfter(const QString& text, int offset, QAccessible::TextBoundaryType type);

// An invisible notification: a screen reader speaks its message each time it is shown to the
// accessibility bus. Nothing on screen changes, and the focus stays where it is.
class Announcement : public QWidget {
    Q_OBJECT

public:
    explicit Announcement(QWidget* parent);

    const QString& message() const { return message_; }
    void say(const QString& message);

private:
    QString message_;
};

} // namespace velorix
