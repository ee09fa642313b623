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
        QCOMPARE(find<QGroupBox>(Frame2)->title(), "Höchstgeschwindigkeit des Fahrzeugs");
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

    // The window opens with "A=" focused and its "10" selected; Tab walks the enabled controls
    // in focus order, of the options only the selected one.
    void focusOrder() {
        QCOMPARE(QApplication::focusWidget(), field(txtAFzg));
        QCOMPARE(field(txtAFzg)->selectedText(), "10");
        QCOMPARE(field(txtAFzg)->cursorPosition(), 2);
        const QStringList expected = {
            "txtVFzg",         "txtV",      "txtErfolgeBeschl", "txtBremsDiff",    "cmdAccel",
            "optRadius",       "txtRadius", "cmdCalcMWBrake",   "txtErfolgeBrems", "cmdCalcMWTURN",
            "txtErfolgeKurve", "txtPHI",    "txtAFzg"};
        QStringList visited;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
    }

    void focusOrderWithEverythingEnabled() {
        retype(txtErfolgeBrems, "1");
        retype(txtErfolgeKurve, "1");
        find<QRadioButton>(optGForce)->click();
        field(txtAFzg)->setFocus();
        QStringList visited;
        for (int i = 0; i < 17; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited,
                 QStringList({"txtVFzg", "txtV", "txtErfolgeBeschl", "txtBremsDiff", "cmdBrake",
                              "cmdAccel", "optGForce", "txtGForce", "cmdTurn", "cmdCalcMWBrake",
                              "txtErfolgeBrems", "cmdCalcMWTURN", "txtErfolgeKurve", "txtGForceMK",
                              "txtPHI", "txtAFzg", "txtVFzg"}));
    }

    void arrowKeysMoveBetweenTheOptions() {
        auto* radius = find<QRadioButton>(optRadius);
        radius->setFocus();
        QTest::keyClick(radius, Qt::Key_Down);
        QVERIFY(find<QRadioButton>(optGForce)->isChecked());
        QVERIFY(window->form().selected(optGForce));
        QVERIFY(field(txtGForce)->isEnabled());
        QVERIFY(!field(txtRadius)->isEnabled());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QVERIFY(radius->isChecked());
        QVERIFY(!field(txtGForce)->isEnabled());
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

    void clicksReachTheHandlers() {
        retype(txtAFzg, "10");
        retype(txtV, "100");
        retype(txtBremsDiff, "60");
        QTest::mouseClick(find(cmdCalcMWBrake), Qt::LeftButton);
        QCOMPARE(caption(lblMindestwurf), "+1");
        auto* brake = find<QPushButton>(cmdBrake);
        QTest::mouseClick(brake, Qt::LeftButton); // disabled: nothing happens
        QCOMPARE(field(txtV)->text(), "100");
        retype(txtErfolgeBrems, "3");
        QVERIFY(brake->isEnabled());
        QTest::mouseClick(brake, Qt::LeftButton);
        QCOMPARE(field(txtV)->text(), "40");
        QVERIFY(!brake->isEnabled());
    }

    void keyboardPressesButtons() {
        retype(txtV, "100");
        auto* calc = find<QPushButton>(cmdCalcMWTURN);
        calc->setFocus();
        QTest::keyClick(calc, Qt::Key_Space);
        QCOMPARE(field(txtGForce)->text(), "1,32");
        QCOMPARE(field(txtGForceMK)->text(), "100");
        QCOMPARE(caption(lblMindestwurf), "+5"); // Amax still 0
    }

    // A brake manoeuvre from start to end without the mouse: the vehicle, the speed, the planned
    // braking, its target number, the successes and the brake.
    void brakingByKeyboardAlone() {
        QCOMPARE(focused(), find(txtAFzg));
        typeOver("10");
        QVERIFY(tabTo(txtV));
        typeOver("100");
        QVERIFY(tabTo(txtBremsDiff));
        typeOver("60");
        QVERIFY(tabTo(cmdCalcMWBrake));
        press(Qt::Key_Space);
        QCOMPARE(caption(lblMindestwurf), "+1");
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

    // A turn by its g-force: the arrow key selects the option, Tab reaches the now enabled field.
    void turnByKeyboardAlone() {
        typeOver("10");
        QVERIFY(tabTo(txtV));
        typeOver("100");
        QVERIFY(tabTo(optRadius));
        press(Qt::Key_Down);
        QCOMPARE(focused(), find(optGForce));
        QVERIFY(find<QRadioButton>(optGForce)->isChecked());
        press(Qt::Key_Tab);
        QCOMPARE(focused(), field(txtGForce));
        typeOver("1,23");
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

    void turnPanelThroughTheWidgets() {
        retype(txtAFzg, "10");
        retype(txtV, "100");
        retype(txtRadius, "70");
        QTest::mouseClick(find(cmdCalcMWTURN), Qt::LeftButton);
        QCOMPARE(field(txtGForce)->text(), "1,88");
        QCOMPARE(field(txtGForceMK)->text(), "142,8571");
        QCOMPARE(caption(lblMindestwurf), "+6");
        QTest::mouseClick(find(optGForce), Qt::LeftButton);
        QVERIFY(field(txtGForce)->isEnabled());
        retype(txtGForce, "1,23");
        QCOMPARE(field(txtGForce)->text(), "1,22");
        QCOMPARE(field(txtGForceMK)->text(), "93");
        retype(txtErfolgeKurve, "0,4");
        QTest::mouseClick(find(cmdTurn), Qt::LeftButton);
        QCOMPARE(field(txtPHI)->text(), "86");
        QVERIFY(!find(cmdTurn)->isEnabled());
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

    // What a screen reader speaks for each control, read the way it reads it.
    void accessibleNames_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label");
        const auto row = [](const char* control, const char* name, const char* label = "") {
            QTest::newRow(control) << control << QString::fromUtf8(name) << label;
        };
        row("txtAFzg", "Beschleunigung des Fahrzeugs A= m/k²", "Label2");
        row("txtVFzg", "Höchstgeschwindigkeit des Fahrzeugs V= m/k", "Label5");
        row("txtV", "Aktuelle Geschwindigkeit m/k", "Label9");
        row("txtBremsDiff", "Bremsen Verzögern um: m/k", "Label11");
        row("cmdCalcMWBrake", "Berechne den Mindestwurf Bremsen");
        row("txtErfolgeBrems", "Bremsen Erfolge", "Label15");
        row("cmdBrake", "BRAKE!");
        row("txtErfolgeBeschl", "Beschleunigen Erfolge", "Label10");
        row("cmdAccel", "ACCELERATE!");
        row("optRadius", "Radius [m]");
        row("txtRadius", "Kurve Radius [m]", "Label13");
        row("optGForce", "g-Force");
        row("txtGForce", "Kurve g-Force", "Label14");
        row("txtGForceMK", "Kurve g-Force m/k²", "Label17");
        row("cmdCalcMWTURN", "Berechne den Mindestwurf Kurve");
        row("txtErfolgeKurve", "Kurve Erfolge", "Label16");
        row("cmdTurn", "TURN!");
        row("txtPHI", "Überstrichener Winkel in einer Kampfrunde", "Label18");
    }
    void accessibleNames() {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(QString, label);
        auto* w = window->findChild<QWidget*>(control);
        QVERIFY(w);
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(w);
        QVERIFY(spoken);
        QCOMPARE(spoken->text(QAccessible::Name), name);
        if (!label.isEmpty()) {
            auto* l = window->findChild<QLabel*>(label);
            QVERIFY(l);
            QCOMPARE(l->buddy(), w);
            // The label is announced as labelling the control.
            QAccessibleInterface* spokenLabel = QAccessible::queryAccessibleInterface(l);
            const auto relations = spokenLabel->relations(QAccessible::Labelled);
            QCOMPARE(relations.size(), 1);
            QCOMPARE(relations.front().first->object(), w);
        }
    }

    // Every control the focus reaches has a name of its own, and the options keep their
    // captions, which are never drawn.
    void everyFocusStopIsNamed() {
        QSet<QString> names;
        for (Ctl c : velorix::focusOrder()) {
            const QString name =
                QAccessible::queryAccessibleInterface(find(c))->text(QAccessible::Name);
            QVERIFY2(!name.isEmpty(), layoutRow(c).name.data());
            QVERIFY2(!names.contains(name), qPrintable(name));
            names.insert(name);
            QCOMPARE(name, qt(accessibleName(c)));
        }
        QCOMPARE(names.size(), qsizetype(velorix::focusOrder().size()));
        QCOMPARE(find<QRadioButton>(optRadius)->text(), "Option1");
        QCOMPARE(find<QRadioButton>(optGForce)->text(), "Option2");
        // Labels that name no control stay without a buddy; the output labels keep their text.
        QVERIFY(!find<QLabel>(Label3)->buddy());
        QVERIFY(!find<QLabel>(lblAmax)->buddy());
        QCOMPARE(
            QAccessible::queryAccessibleInterface(find(lblMindestwurf))->text(QAccessible::Name),
            "Mindestwurf");
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
