// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/accessible.h"

#include "desktop/qt_text.h"
#include "window/accessibility.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace velorix {

namespace {

std::optional<QTextBoundaryFinder::BoundaryType> finderType(QAccessible::TextBoundaryType type) {
    switch (type) {
    case QAccessible::CharBoundary:
        return QTextBoundaryFinder::Grapheme;
    case QAccessible::WordBoundary:
        return QTextBoundaryFinder::Word;
    case QAccessible::SentenceBoundary:
        return QTextBoundaryFinder::Sentence;
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary:
    case QAccessible::NoBoundary:
        break;
    }
    return std::nullopt;
}

// A text field's interface. Qt's own is not exported, so this one does its whole job; its
// boundary queries take one step of the finder each way, and no caption is offered as the
// field's label: the field's own name is the full one.
class FieldAccessible : public QAccessibleWidget,
                        public QAccessibleTextInterface,
                        public QAccessibleEditableTextInterface {
public:
    explicit FieldAccessible(QLineEdit* edit)
        : QAccessibleWidget(edit, QAccessible::EditableText) {}

    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        if (type == QAccessible::EditableTextInterface) {
            return static_cast<QAccessibleEditableTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return edit()->text();
        }
        return QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t == QAccessible::Value) {
            replaceText(0, characterCount(), text);
        } else {
            QAccessibleWidget::setText(t, text);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = !edit()->isReadOnly();
        s.readOnly = edit()->isReadOnly();
        s.selectableText = true;
        return s;
    }

    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override {
        auto all = QAccessibleWidget::relations(match & ~QAccessible::Label);
        all.removeIf([](const auto& r) { return (r.second & QAccessible::Label) != 0; });
        return all;
    }

    // Selection and caret
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && edit()->hasSelectedText()) {
            *start = edit()->selectionStart();
            *end = edit()->selectionEnd();
        }
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0) {
            edit()->deselect();
        }
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0 && valid(start) && valid(end)) {
            edit()->setSelection(start, end - start);
        }
    }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override {
        if (valid(position)) {
            edit()->setCursorPosition(position);
        }
    }

    // Text
    QString text(int start, int end) const override {
        if (!valid(start) || !valid(end) || end < start) {
            return {};
        }
        return edit()->text().mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override {
        return answer(offset, start, end,
                      [&](const QString& text, int at) { return pieceAt(text, at, type); });
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override {
        return answer(offset, start, end,
                      [&](const QString& text, int at) { return pieceBefore(text, at, type); });
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override {
        return answer(offset, start, end,
                      [&](const QString& text, int at) { return pieceAfter(text, at, type); });
    }
    // A value is read in one piece: one run of attributes over the whole text.
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

    // Geometry, from the caret the field reports and the widths of the characters before it.
    QRect characterRect(int offset) const override {
        const QString shown = edit()->displayText();
        if (offset < 0 || offset >= shown.size()) {
            return {};
        }
        const QRect caret = edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const QFontMetrics metrics(edit()->font());
        const int x = caret.center().x() + metrics.horizontalAdvance(shown.left(offset)) -
                      metrics.horizontalAdvance(shown.left(edit()->cursorPosition()));
        const QRect local(x, caret.top(), metrics.horizontalAdvance(shown.mid(offset, 1)),
                          caret.height());
        return {edit()->mapToGlobal(local.topLeft()), local.size()};
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = edit()->mapFromGlobal(point);
        if (!edit()->rect().contains(local)) {
            return -1;
        }
        return edit()->cursorPositionAt(local);
    }
    // The fields are short and show their whole text.
    void scrollToSubstring(int, int) override {}

    // Editing goes through the field like typing does, so it raises textChanged, keeps the undo
    // history and is refused where the keyboard is.
    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        if (!edit()->isEnabled() || edit()->isReadOnly() || !valid(start) || !valid(end)) {
            return;
        }
        edit()->setSelection(std::min(start, end), std::abs(end - start));
        if (start == end) {
            edit()->setCursorPosition(start);
        }
        edit()->insert(text);
    }

private:
    bool valid(int offset) const { return offset >= 0 && offset <= characterCount(); }

    template <typename Find>
    QString answer(int offset, int* start, int* end, Find find) const {
        const QString text = edit()->text();
        if (offset == -2) { // the caret
            offset = edit()->cursorPosition();
        }
        if (offset < 0 || offset > text.size()) {
            *start = *end = -1;
            return {};
        }
        const TextPiece piece = find(text, offset);
        *start = piece.start;
        *end = piece.end;
        return text.mid(piece.start, piece.end - piece.start);
    }
};

// A label that shows a result: named by the value it shows, even a blank one, and labelled by
// the caption before it rather than by its group.
class ResultLabelAccessible : public QAccessibleWidget {
public:
    ResultLabelAccessible(QLabel* label, QWidget* caption)
        : QAccessibleWidget(label, QAccessible::StaticText)
        , caption_(caption) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            return static_cast<QLabel*>(widget())->text();
        }
        return QAccessibleWidget::text(t);
    }

    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override {
        QList<std::pair<QAccessibleInterface*, QAccessible::Relation>> found;
        if ((match & QAccessible::Label) != 0 && caption_ != nullptr) {
            found.emplace_back(QAccessible::queryAccessibleInterface(caption_), QAccessible::Label);
        }
        return found;
    }

private:
    QWidget* caption_;
};

class AnnouncementAccessible : public QAccessibleWidget {
public:
    explicit AnnouncementAccessible(Announcement* announcement)
        : QAccessibleWidget(announcement, QAccessible::Notification) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            return static_cast<Announcement*>(widget())->message();
        }
        return {};
    }
};

// The caption of a result label, unless it is the label's own group: a reader names the
// group already, and counts no ancestor as a label.
QWidget* captionOf(QLabel* label) {
    const auto row = std::ranges::find_if(kSpokenResults, [label](const SpokenResult& r) {
        return layoutRow(r.result).name == label->objectName().toStdString();
    });
    if (row == kSpokenResults.end()) {
        return nullptr;
    }
    // The caption nearest the label.
    const auto nearest = row->captions[1] ? row->captions[1] : row->captions[0];
    if (!nearest) {
        return nullptr;
    }
    QWidget* caption = label->window()->findChild<QWidget*>(qt(layoutRow(*nearest).name));
    return caption != nullptr && !caption->isAncestorOf(label) ? caption : nullptr;
}

bool showsResult(const QObject* object) {
    return std::ranges::any_of(kSpokenResults, [object](const SpokenResult& r) {
        return layoutRow(r.result).kind == Kind::Label &&
               object->objectName() == qt(layoutRow(r.result).name);
    });
}

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("QLineEdit")) {
        return new FieldAccessible(static_cast<QLineEdit*>(object));
    }
    if (className == QLatin1String("QLabel") && showsResult(object)) {
        auto* label = static_cast<QLabel*>(object);
        return new ResultLabelAccessible(label, captionOf(label));
    }
    if (className == QLatin1String("velorix::Announcement")) {
        return new AnnouncementAccessible(static_cast<Announcement*>(object));
    }
    // A top-level widget is a frame to a reader, named by its title, rather than a filler.
    if (className == QLatin1String("velorix::MainWindow")) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

} // namespace

void installAccessibleInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

TextPiece pieceAt(const QString& text, int offset, QAccessible::TextBoundaryType type) {
    const int length = static_cast<int>(text.size());
    const auto finder = finderType(type);
    if (!finder) {
        return {0, length};
    }
    if (offset >= length) {
        if (type == QAccessible::CharBoundary || length == 0) {
            return {length, length};
        }
        QTextBoundaryFinder last(*finder, text);
        last.toEnd();
        return {std::max(0, static_cast<int>(last.toPreviousBoundary())), length};
    }
    QTextBoundaryFinder f(*finder, text);
    f.setPosition(offset);
    const int start = f.isAtBoundary() ? offset : static_cast<int>(f.toPreviousBoundary());
    f.setPosition(offset);
    const int end = static_cast<int>(f.toNextBoundary());
    return {std::max(0, start), end < 0 ? length : end};
}

TextPiece pieceBefore(const QString& text, int offset, QAccessible::TextBoundaryType type) {
    const TextPiece here = pieceAt(text, offset, type);
    if (here.start == 0 || !finderType(type)) {
        return {0, 0};
    }
    return pieceAt(text, here.start - 1, type);
}

TextPiece pieceAfter(const QString& text, int offset, QAccessible::TextBoundaryType type) {
    const int length = static_cast<int>(text.size());
    const TextPiece here = pieceAt(text, offset, type);
    if (here.end >= length || !finderType(type)) {
        return {length, length};
    }
    return pieceAt(text, here.end, type);
}

Announcement::Announcement(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("announcement"));
    hide();
}

void Announcement::say(const QString& message) {
    message_ = message;
    if (!QAccessible::isActive()) {
        return;
    }
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // Qt 6.8 hands an announcement to the bus as one, and the Orca of its time speaks that,
    // while it no longer speaks a notification that appears.
    QAccessibleAnnouncementEvent announced(window(), message);
    announced.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    QAccessible::updateAccessibility(&announced);
#else
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
#endif
}

} // namespace velorix
