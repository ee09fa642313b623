// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt view: widgets built from the layout table, and the wiring of keystrokes and clicks.
#include "desktop/line_widget.h"
#include "desktop/main_window.h"
#include "desktop/qt_text.h"
#include "desktop/scale.h"
#include "support/desktop.h"
#include "support/session.h"
#include "window/accessibility.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

using namespace velorix;
using enum Ctl;

namespace {

class RecordingReporter : public FailureReporter {
public:
    void report(const Failure& failure) override { reports.push_back(failure); }
    std::vector<Failure> reports;
};

const char* kindClass(Kind kind) {
    switch (kind) {
    case Kind::Frame:
        return "QGroupBox";
    case Kind::Label:
        return "QLabel";
    case Kind::TextBox:
        return "QLineEdit";
    case Kind::CommandButton:
        return "QPushButton";
    case Kind::OptionButton:
        return "QRadioButton";
    case Kind::Line:
        return "velorix::LineWidget";
    }
    return "";
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordingReporter> reporter;
    std::unique_ptr<MainWindow> window;
    velorix::testing::Keyboard keyboard;

    template <typename W = QWidget>
    W* find(Ctl c) const {
        return window->findChild<W*>(qt(layoutRow(c).name));
    }
    QLineEdit* field(Ctl c) const { return find<QLineEdit>(c); }
    QString caption(Ctl c) const { return find<QLabel>(c)->text(); }

    // Select all and type, key by key, as on the keyboard.
    void retype(Ctl c, const QString& keys) {
        QLineEdit* edit = field(c);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, keys);
    }

    // Keyboard alone: keys go to whatever holds the focus, on Wayland through the compositor.
    static QWidget* focused() { return QApplication::focusWidget(); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        keyboard.press(key, modifiers);
    }
    // Tab until the control holds the focus; false when a whole round of the focus chain
    // never reaches it.
    bool tabTo(Ctl c) {
        for (int i = 0; i < 20 && focused() != find(c); ++i) {
            press(Qt::Key_Tab);
        }
        return focused() == find(c);
    }
    void typeOver(const QString& keys) {
        press(Qt::Key_A, Qt::ControlModifier);
        keyboard.type(keys);
    }

private slots:
    void initTestCase() { QVERIFY(installGermanToolkitTexts(*QCoreApplication::instance())); }
    void init() {
        reporter = std::make_unique<RecordingReporter>();
        window = std::make_unique<MainWindow>(NumberFormat{","}, *reporter);
        window->show();
        window->activateWindow();
        QVERIFY(testing::waitUntilActive(*window));
    }
    void cleanup() {
        testing::keepPicturesOfAFailure();
        window.reset();
    }

    void windowFrame() {
        QCOMPARE(window->windowTitle(), "Velorix");
        QCOMPARE(window->size(), QSize(toPixels(kClientWidthTwips), toPixels(kClientHeightTwips)));
        QVERIFY(window->minimumSize() != window->maximumSize()); // the frame stays resizable
    }

    // Every row of the table is a widget of its kind, named after it, in its group, with its
    // text and its place under the one scale.
    void everyControlFromTheTable() {
        for (const ControlSpec& row : kLayout) {
            const QList<QWidget*> named = window->findChildren<QWidget*>(qt(row.name));
            QCOMPARE(named.size(), 1);
            QWidget* w = named.front();
            QCOMPARE(w->metaObject()->className(), kindClass(row.kind));
            QWidget* expectedParent = row.parent ? find(*row.parent) : window.get();
            QCOMPARE(w->parentWidget(), expectedParent);
            if (row.kind == Kind::Line) {
                const QLineF line = static_cast<LineWidget*>(w)->line();
                const LineEnds& e = row.ends;
                QCOMPARE(line,
                         QLineF(toPixels(e.x1), toPixels(e.y1), toPixels(e.x2), toPixels(e.y2)));
                QVERIFY(w->geometry().contains(line.p1().toPoint()));
                QVERIFY(w->geometry().contains(line.p2().toPoint()));
                QVERIFY(w->testAttribute(Qt::WA_TransparentForMouseEvents));
                continue;
            }
            QCOMPARE(w->geometry(), toPixels(row.place));
            const QString text = qt(row.text);
            if (auto* box = qobject_cast<QGroupBox*>(w)) {
                QCOMPARE(box->title(), text);
            } else if (auto* label = qobject_cast<QLabel*>(w)) {
                QCOMPARE(label->text(), text);
                QCOMPARE(label->textFormat(), Qt::PlainText);
            } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                QCOMPARE(edit->text(), text);
            } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
                QCOMPARE(button->text(), text);
            }
            QCOMPARE(w->isEnabled(), row.enabled);
        }
    }

    void exactCaptions() {
        QCOMPARE(caption(Label3), "max. sichere Bremsbeschleunigung:  Amax=");
        QCOMPARE(caption(Label1), "m/k²");
        QCOMPARE(caption(Label11), "Verzögern um:");
        QCOMPARE(find<QGroupBox>(Frame3)->title(), "Aktion");
        QCOMPARE(find<QRadioButton>(optGForce)->text(), "Option2");
    }

    // Measured with the widgets' own hints and the style's content rectangles.
    void everyCaptionReadsWhole() {
        for (const ControlSpec& row : kLayout) {
            QWidget* w = find(row.id);
            if (auto* label = qobject_cast<QLabel*>(w)) {
                if (row.wraps) {
                    QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                             row.name.data());
                } else {
                    QVERIFY2(label->sizeHint().width() <= label->width(), row.name.data());
                }
            } else if (auto* button = qobject_cast<QPushButton*>(w)) {
                QStyleOptionButton option;
                option.initFrom(button);
                option.text = button->text();
                const QRect contents =
                    button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <=
                             contents.width(),
                         row.name.data());
            } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
                QStyleOptionGroupBox option;
                option.initFrom(box);
                option.text = box->title();
                option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
                option.textAlignment = box->alignment();
                const QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                                 QStyle::SC_GroupBoxLabel, box);
                QVERIFY2(title.width() >= box->fontMetrics().horizontalAdvance(box->title()),
                         row.name.data());
                QVERIFY2(title.right() < box->width(), row.name.data());
            } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                QVERIFY2(edit->minimumSizeHint().height() <= edit->height(), row.name.data());
            }
        }
    }

    // Rows are drawn topmost first, and "Kurve" lies above "Aktion".
    void drawingOrder() {
        const QObjectList siblings = window->children();
        const auto at = [&](Ctl c) {
            return siblings.indexOf(find(c));
        };
        QVERIFY(at(Frame4) > at(Frame3)); // later children are drawn on top
        QVERIFY(at(Frame1) > at(Frame2));
        QWidget* kurve = find(Frame4);
        const QPoint inside = kurve->mapTo(window.get(), QPoint(kurve->width() / 2, 10));
        QCOMPARE(window->childAt(inside), kurve);
    }

    void optionButtonsShowOnlyTheirCircle() {
        auto* option = find<QRadioButton>(optRadius);
        QVERIFY(option->isChecked());
        QVERIFY(!find<QRadioButton>(optGForce)->isChecked());
        // Painted, the button's area right of the circle stays empty.
        QImage image(option->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        option->render(&image, {}, {}, QWidget::RenderFlags());
        const int indicator = option->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth);
        for (int x = indicator + 2; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y) {
                QCOMPARE(qAlpha(image.pixel(x, y)), 0);
            }
        }
    }

    void noDefaultButton() {
        for (QPushButton* b : window->findChildren<QPushButton*>()) {
            QVERIFY(!b->autoDefault());
            QVERIFY(!b->isDefault());
        }
    }

    // Tab and Shift+Tab go where the window's behaviour says, at start and with everything enabled.
    void tabFollowsTheCore() {
        QTest::keyClick(field(txtAFzg), Qt::Key_Tab); // from the field focused at start
        QCOMPARE(focused(), field(txtVFzg));
        for (const bool everythingEnabled : {false, true}) {
            if (everythingEnabled) {
                retype(txtErfolgeBrems, "1");
                retype(txtErfolgeKurve, "1");
                find<QRadioButton>(optGForce)->click();
            }
            for (const int step : {1, -1}) {
                Ctl at = txtAFzg;
                field(at)->setFocus();
                for (std::size_t n = 0; n == 0 || at != txtAFzg; ++n) {
                    QVERIFY(n < kFocusCount);
                    at = window->form().nextTabStop(at, step, true).value();
                    QTest::keyClick(focused(), Qt::Key_Tab,
                                    step > 0 ? Qt::NoModifier : Qt::ShiftModifier);
                    QCOMPARE(focused(), find(at));
                }
            }
        }
    }

    // Each keystroke raises Change: Amax follows as typed.
    void keystrokesReachTheHandlers() {
        retype(txtAFzg, "1");
        QCOMPARE(caption(lblAmax), "4");
        QTest::keyClicks(field(txtAFzg), "2");
        QCOMPARE(caption(lblAmax), "48");
        QVERIFY(reporter->reports.empty());
    }

    // The handler rewrites the very field being typed in; the widget shows the rewrite and
    // typing goes on from its end.
    void rewriteOfTheFieldBeingTyped() {
        retype(txtV, "200");
        QCOMPARE(field(txtV)->text(), "150");
        QCOMPARE(field(txtV)->cursorPosition(), 3);
        QTest::keyClick(field(txtV), Qt::Key_Backspace);
        QCOMPARE(field(txtV)->text(), "15");
        field(txtV)->selectAll();
        QTest::keyClick(field(txtV), Qt::Key_Delete);
        QCOMPARE(field(txtV)->text(), "15"); // emptied, refilled at once
        QVERIFY(reporter->reports.empty());
    }

    void caretStaysWhenNothingIsRewritten() {
        QLineEdit* e = field(txtVFzg);
        e->setFocus();
        e->setCursorPosition(1);
        QTest::keyClick(e, '5');
        QCOMPARE(e->text(), "1500");
        QCOMPARE(e->cursorPosition(), 2);
        QCOMPARE(caption(lblVmax), "2250");
    }

    // A brake manoeuvre from start to end, by keys and the mouse: the vehicle, the speed, the
    // planned braking, its target number, the successes and the brake.
    void braking() {
        // The window opens with "A=" focused and its "10" selected.
        QCOMPARE(focused(), find(txtAFzg));
        QCOMPARE(field(txtAFzg)->selectedText(), "10");
        QCOMPARE(field(txtAFzg)->cursorPosition(), 2);
        typeOver("10");
        QVERIFY(tabTo(txtV));
        typeOver("100");
        QVERIFY(tabTo(txtBremsDiff));
        typeOver("60");
        QTest::mouseClick(find(cmdCalcMWBrake), Qt::LeftButton);
        QCOMPARE(caption(lblMindestwurf), "+1");
        QTest::mouseClick(find(cmdBrake), Qt::LeftButton); // disabled: nothing happens
        QCOMPARE(field(txtV)->text(), "100");
        QVERIFY(tabTo(txtErfolgeBrems));
        typeOver("3");
        QVERIFY(tabTo(cmdBrake)); // enabled by the successes, it joins the focus chain
        press(Qt::Key_Space);
        QCOMPARE(field(txtV)->text(), "40");
        QVERIFY(!find(cmdBrake)->isEnabled());
        // The focus stays in "Bremsen", after the successes: a second Space brakes nothing.
        QCOMPARE(focused(), field(txtErfolgeBrems));
        press(Qt::Key_Space);
        QCOMPARE(field(txtV)->text(), "40");
        QCOMPARE(field(txtErfolgeBrems)->text(), "3 ");
        QVERIFY(reporter->reports.empty());
    }

    // A turn planned by its radius with the mouse, then by its g-force from the keyboard: the
    // arrow keys choose the option, Tab reaches the now enabled field.
    void turning() {
        retype(txtAFzg, "10");
        retype(txtV, "100");
        retype(txtRadius, "70");
        QTest::mouseClick(find(cmdCalcMWTURN), Qt::LeftButton);
        QCOMPARE(field(txtGForce)->text(), "1,88");
        QCOMPARE(field(txtGForceMK)->text(), "142,8571");
        QCOMPARE(caption(lblMindestwurf), "+6");
        QTest::mouseClick(find(optGForce), Qt::LeftButton);
        QVERIFY(field(txtGForce)->isEnabled());
        press(Qt::Key_Up);
        QVERIFY(find<QRadioButton>(optRadius)->isChecked());
        QVERIFY(!field(txtGForce)->isEnabled());
        press(Qt::Key_Down);
        QCOMPARE(focused(), find(optGForce));
        QVERIFY(find<QRadioButton>(optGForce)->isChecked());
        QVERIFY(window->form().selected(optGForce));
        QVERIFY(!field(txtRadius)->isEnabled());
        press(Qt::Key_Tab); // to the g-force field, enabled again
        QCOMPARE(focused(), field(txtGForce));
        typeOver("1,23");
        QCOMPARE(field(txtGForce)->text(), "1,22");
        QCOMPARE(field(txtGForceMK)->text(), "93");
        QVERIFY(tabTo(cmdCalcMWTURN));
        press(Qt::Key_Space);
        QCOMPARE(field(txtRadius)->text(), "107,8516");
        QVERIFY(tabTo(txtErfolgeKurve));
        typeOver("1");
        QVERIFY(tabTo(cmdTurn));
        press(Qt::Key_Space);
        QCOMPARE(field(txtPHI)->text(), "56");     // 100 m/k on a 107,85 m curve
        QCOMPARE(field(txtV)->text(), "7,279999"); // less 92,72 m/k², in single precision
        QVERIFY(!find(cmdTurn)->isEnabled());
        QCOMPARE(focused(), field(txtErfolgeKurve));
        press(Qt::Key_Space);
        QCOMPARE(field(txtV)->text(), "7,279999");
        QVERIFY(reporter->reports.empty());
    }

    void disabledFieldTakesNoTyping() {
        QLineEdit* g = field(txtGForce);
        QTest::keyClicks(g, "9");
        QCOMPARE(g->text(), "1");
        QCOMPARE(window->form().text(txtGForce), "1");
    }

    // Text set by an assistive technology reaches the rules as a keystroke would; a disabled
    // field set that way keeps the program's text.
    void accessibilityInterfaceSetsText() {
        QAccessible::queryAccessibleInterface(field(txtAFzg))->setText(QAccessible::Value, "5");
        QCOMPARE(caption(lblAmax), "20");
        QAccessible::queryAccessibleInterface(field(txtAFzg))
            ->editableTextInterface()
            ->replaceText(0, 1, "7");
        QCOMPARE(caption(lblAmax), "28");
        QAccessible::queryAccessibleInterface(field(txtGForce))->setText(QAccessible::Value, "5");
        QCOMPARE(field(txtGForce)->text(), "1");
        QCOMPARE(window->form().text(txtGForceMK), "76");
        QVERIFY(reporter->reports.empty());
    }

    void undoKeepsFieldAndStateInStep() {
        retype(txtAFzg, "12");
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(field(txtAFzg)->text(), "10"); // the typing was one step
        QCOMPARE(caption(lblAmax), "40");
        retype(txtV, "200"); // rewritten to 150
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(field(txtV)->text(), qt(window->form().text(txtV)));
        QCOMPARE(field(txtV)->text(), qt(realToText(window->form().state().Vakt, {","})));
    }

    // The g-force field, disabled, shows the start of a number too long for it.
    void longNumberShowsItsBeginning() {
        retype(txtV, "100");
        retype(txtRadius, "1E-30");
        QTest::mouseClick(find(cmdCalcMWTURN), Qt::LeftButton);
        QCOMPARE(field(txtGForce)->text(), "1,315789E+32");
        QCOMPARE(field(txtGForce)->cursorPosition(), 0);
    }

    // The toolkit's own words are German, whatever the system language.
    void germanContextMenu() {
        const std::unique_ptr<QMenu> menu(field(txtAFzg)->createStandardContextMenu());
        QStringList words;
        for (const QAction* action : menu->actions()) {
            words << action->text().section('\t', 0, 0);
        }
        QCOMPARE(words, QStringList({"&Rückgängig", "Wieder&herstellen", "", "&Ausschneiden",
                                     "&Kopieren", "Einf&ügen", "Löschen", "", "Alles auswählen"}));
    }

    void oneReportPerFailingEvent() {
        retype(txtAFzg, "x");
        QCOMPARE(reporter->reports.size(), std::size_t{1});
        QCOMPARE(reporter->reports.front().kind(), FailureKind::InvalidNumber);
        QCOMPARE(field(txtAFzg)->text(), "x");
        QTest::keyClicks(field(txtAFzg), "y");
        QCOMPARE(reporter->reports.size(), std::size_t{2});
        retype(txtAFzg, "3");
        QCOMPARE(reporter->reports.size(), std::size_t{2});
        QCOMPARE(caption(lblAmax), "12");
    }

    // Each control the focus reaches is spoken by the name the window's behaviour gives it; a
    // label is the buddy of the control the behaviour has it stand for, announced as labelling
    // it, and no other label is one. A result is named by its text.
    void accessibleNamesFromTheCore() {
        const auto spoken = [](QObject* w) {
            return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        };
        QCOMPARE(spoken(field(txtAFzg)), "Beschleunigung des Fahrzeugs A= m/k²");
        QCOMPARE(find<QLabel>(Label2)->buddy(), field(txtAFzg));
        qsizetype buddies = 0;
        for (const AccessibleName& row : kAccessibleNames) {
            QWidget* control = find(row.control);
            QCOMPARE(spoken(control), qt(accessibleName(row.control)));
            if (const std::optional<Ctl> buddy = labelOf(row)) {
                auto* label = find<QLabel>(*buddy);
                QCOMPARE(label->buddy(), control);
                const auto labelled =
                    QAccessible::queryAccessibleInterface(label)->relations(QAccessible::Labelled);
                QCOMPARE(labelled.size(), 1);
                QCOMPARE(labelled.front().first->object(), control);
                ++buddies;
            }
        }
        QCOMPARE(std::ranges::count_if(window->findChildren<QLabel*>(), &QLabel::buddy), buddies);
        QCOMPARE(spoken(find(lblMindestwurf)), "Mindestwurf");
    }

    // The real report, raised from inside a keystroke: a modal box titled "Velorix" whose text
    // starts with the kind. Closed by Return, it leaves the keyboard in the field, and the
    // window goes on.
    void messageBoxReport() {
        MessageBoxReporter real;
        MainWindow shown(NumberFormat{","}, real);
        shown.show();
        QVERIFY(testing::waitUntilActive(shown));
        QString title;
        QString text;
        bool modal = false;
        bool seen = false;
        bool closedByReturn = false;
        // Looks for the box until it is up and has the keyboard, and always closes it; the
        // verdict waits until the keystroke has returned, so no check can leave a modal box open.
        QTimer closer;
        closer.setInterval(10);
        connect(&closer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || QApplication::activeWindow() != box) {
                return;
            }
            closer.stop();
            seen = true;
            title = box->windowTitle();
            text = box->text();
            modal = box->isModal();
            keyboard.press(Qt::Key_Return, Qt::NoModifier, box,
                           [box] { return !box->isVisible(); });
            closedByReturn = !box->isVisible();
            box->accept();
        });
        closer.start();
        auto* edit = shown.findChild<QLineEdit*>("txtAFzg");
        edit->selectAll();
        keyboard.type("x", edit, [&] { return seen && !QApplication::activeModalWidget(); });
        closer.stop();
        QVERIFY(seen);
        QCOMPARE(title, "Velorix");
        QVERIFY(text.startsWith("Ungültige Zahl: "));
        QVERIFY(modal);
        QVERIFY(closedByReturn);
        QCOMPARE(edit->text(), "x");
        keyboard.press(Qt::Key_Backspace, Qt::NoModifier, edit);
        keyboard.type("2", edit);
        QCOMPARE(shown.findChild<QLabel*>("lblAmax")->text(), "8");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
