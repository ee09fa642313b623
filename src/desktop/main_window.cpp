// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/main_window.h"

#include "desktop/accessible.h"
#include "desktop/frame_box.h"
#include "desktop/line_widget.h"
#include "desktop/qt_text.h"
#include "desktop/scale.h"
#include "window/accessibility.h"

#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>
#include <QTranslator>

#include <ranges>

namespace velorix {

namespace {

// An option button only as wide as its circle: its caption stays its text (for the accessibility
// tree, say) but is never drawn, however wide the scaled button is.
class CircleOnlyButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_RadioButton, option);
    }
};

// Whether a line edit shows its whole text: the text, its frame and the edit's margins of two
// pixels on either side fit its width.
bool fitsWhole(const QLineEdit& edit) {
    const int frame = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit);
    return edit.fontMetrics().horizontalAdvance(edit.text()) + 2 * frame + 4 <= edit.width();
}

} // namespace

NumberFormat systemNumberFormat() {
    return NumberFormat{QLocale::system().decimalPoint().toStdString()};
}

MainWindow::MainWindow(NumberFormat format, FailureReporter& reporter, QWidget* parent)
    : QWidget(parent)
    , form_(std::move(format))
    , reporter_(reporter) {
    installAccessibleInterfaces();
    setWindowTitle(qt(kWindowTitle));
    resize(toPixels(kClientWidthTwips), toPixels(kClientHeightTwips));
    build();
    connectEvents();
    deliver(form_.load());
    const Form::Selection opening = form_.opening();
    widget(opening.control)->setFocus();
    if (auto* field = qobject_cast<QLineEdit*>(widget(opening.control))) {
        field->setSelection(opening.start, opening.end - opening.start);
    }
}

void MainWindow::build() {
    for (const ControlSpec& row : kLayout) {
        QWidget* parent = row.parent ? widget(*row.parent) : this;
        QWidget* w = nullptr;
        const QString text = qt(form_.text(row.id));
        switch (row.kind) {
        case Kind::Frame:
            w = new FrameBox(text, parent);
            break;
        case Kind::Label: {
            // Its text comes with the first mirror, once it has the name its interface is
            // chosen by.
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(row.wraps);
            w = label;
            break;
        }
        case Kind::TextBox:
            w = new QLineEdit(text, parent);
            break;
        case Kind::CommandButton: {
            auto* button = new QPushButton(text, parent);
            button->setAutoDefault(false);
            w = button;
            break;
        }
        case Kind::OptionButton:
            w = new CircleOnlyButton(text, parent);
            break;
        case Kind::Line:
            w = new LineWidget(toPixels(row.ends), parent);
            break;
        }
        w->setObjectName(qt(row.name));
        if (row.kind != Kind::Line) {
            w->setGeometry(toPixels(row.place));
        }
        widgets_[index(row.id)] = w;
        mirror(row.id);
    }
    // Rows come topmost first: raising them from the last to the first leaves the first on top.
    for (const ControlSpec& row : kLayout | std::views::reverse) {
        widget(row.id)->raise();
    }
    // A group is named by its own title, not by the group it lies in.
    for (const ControlSpec& row : kLayout) {
        if (row.kind == Kind::Frame) {
            widget(row.id)->setAccessibleName(qt(row.text));
        }
    }
    for (const AccessibleName& row : kAccessibleNames) {
        widget(row.control)->setAccessibleName(qt(velorix::accessibleName(row.control)));
        if (const auto label = labelOf(row)) {
            static_cast<QLabel*>(widget(*label))->setBuddy(widget(row.control));
        }
    }
    const auto order = focusOrder();
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(widget(order[i - 1]), widget(order[i]));
    }
}

void MainWindow::connectEvents() {
    for (const ControlSpec& row : kLayout) {
        const Ctl id = row.id;
        if (auto* edit = qobject_cast<QLineEdit*>(widget(id))) {
            // textChanged: every way the text can change (keys, undo, drag and drop, the context
            // menu, an input method, the accessibility interface), but also the view's own writes,
            // which the Form has already handled and so are skipped. The signal's argument can
            // be stale when a handler rewrote the field meanwhile; the widget's text is not.
            connect(edit, &QLineEdit::textChanged, this, [this, id, edit] {
                if (!mirroring_) {
                    deliver(form_.edit(id, edit->text().toStdString()), id);
                }
            });
        } else if (auto* option = qobject_cast<QRadioButton*>(widget(id))) {
            // Selected by a click, an arrow key or a screen reader's toggle action alike; the
            // view's own mirroring blocks the signal.
            connect(option, &QRadioButton::toggled, this, [this, id](bool on) {
                if (on) {
                    deliver(form_.click(id), std::nullopt, id);
                }
            });
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget(id))) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, id] { deliver(form_.click(id), std::nullopt, id); });
        }
    }
}

bool MainWindow::focusNextPrevChild(bool next) {
    const auto from = std::ranges::find(widgets_, QApplication::focusWidget());
    if (from == widgets_.end()) {
        return QWidget::focusNextPrevChild(next);
    }
    const auto to =
        form_.nextTabStop(static_cast<Ctl>(from - widgets_.begin()), next ? 1 : -1, true);
    if (to) {
        widget(*to)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }
    return true;
}

void MainWindow::deliver(std::optional<Failure> outcome, std::optional<Ctl> edited,
                         std::optional<Ctl> pressed) {
    // Before the button is disabled: otherwise the toolkit hands the focus on to the next
    // button, which a repeated key would press.
    const std::optional<Ctl> focus = form_.focusAfter();
    if (pressed && focus && widget(*pressed)->hasFocus()) {
        auto* field = static_cast<QLineEdit*>(widget(*focus));
        field->setCursorPosition(static_cast<int>(field->text().size()));
        field->setFocus(Qt::OtherFocusReason);
    }
    const auto changed = form_.takeChanges();
    for (std::size_t i = 0; i < changed.size(); ++i) {
        if (changed.test(i)) {
            mirror(static_cast<Ctl>(i));
        }
    }
    // A field the Form did not take the text of (a disabled one, changed behind the program's
    // back) gets the Form's text back.
    if (edited && !changed.test(index(*edited))) {
        mirror(*edited);
    }
    if (outcome) {
        reporter_.report(*outcome);
    }
    announce(form_.announcement());
}

void MainWindow::announce(const std::string& message) {
    if (message.empty() || !isVisible()) {
        return;
    }
    if (announcement_ == nullptr) {
        announcement_ = new Announcement(this);
    }
    // Said once the focus change of the event has reached the screen reader, so that it comes
    // after the newly focused control, not cut off by it.
    QTimer::singleShot(0, announcement_, [announcement = announcement_, text = qt(message)] {
        // A report opened since speaks for itself.
        if (QApplication::activeModalWidget() == nullptr) {
            announcement->say(text);
        }
    });
}

void MainWindow::mirror(Ctl c) {
    QWidget* w = widget(c);
    w->setEnabled(form_.enabled(c));
    const QString text = qt(form_.text(c));
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // Only a real rewrite moves the caret: to the end in the field being typed in, so typing
        // goes on there, and to the start elsewhere when the number is wider than the field, so
        // that it shows its beginning. A number that fits keeps the caret still: a caret moved
        // in a field without focus makes a screen reader drop the result it is about to say.
        if (edit->text() != text) {
            const QScopedValueRollback<bool> quiet(mirroring_, true);
            edit->setText(text);
            if (!edit->hasFocus() && !fitsWhole(*edit)) {
                edit->setCursorPosition(0);
            }
        }
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* option = qobject_cast<QRadioButton*>(w)) {
        const QSignalBlocker blocker(option);
        option->setChecked(form_.selected(c));
        // Of a group only the selected option is a Tab stop; the arrow keys reach the others.
        option->setFocusPolicy(form_.selected(c) ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void MessageBoxReporter::report(const Failure& failure) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Velorix"),
                    QString::fromStdString(failure.message()), QMessageBox::Ok,
                    QApplication::activeWindow());
    // A quoted field text is shown as typed, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool installGermanToolkitTexts(QCoreApplication& app) {
    // Every text of the window is German, so the toolkit's own words (the fields' context menu,
    // the report's button) are German too, whatever the system language.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace velorix
