// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "numbers/failure.h"
#include "numbers/text.h"
#include "rules/vehicle_state.h"
#include "window/accessibility.h"
#include "window/layout.h"

#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>

namespace velorix {

// The window's behaviour without any toolkit: the texts, captions, enabled flags and option
// values of every control, the vehicle state, the event rules and the handlers. A view mirrors
// it and forwards the user's edits and clicks; every handler can be driven from here alone.
//
// Event rules: writing a text field raises its Change handler at once, nested inside the writer,
// whenever the text really changes, enabled or not; Click comes only from enabled buttons and
// from selecting an option. A failure ends the running handler and every handler whose write
// raised it; what they did before stays done.
class Form {
public:
    explicit Form(NumberFormat format, int chainLimit = kChainLimit);

    // The user's events. Each runs to completion and returns the failure that ended it, if any.
    // Events that the control cannot take (typing into a disabled field, pressing a disabled
    // button, typing into a button) are ignored.
    std::optional<Failure> load() noexcept;
    std::optional<Failure> edit(Ctl field, std::string text) noexcept;
    std::optional<Failure> click(Ctl control) noexcept;

    // Text of a text field, caption of every other control.
    const std::string& text(Ctl c) const { return controls_[index(c)].text; }
    bool enabled(Ctl c) const { return controls_[index(c)].enabled; }
    bool selected(Ctl c) const { return controls_[index(c)].selected; }
    const VehicleState& state() const { return state_; }
    const NumberFormat& numberFormat() const { return format_; }

    // The control that Tab (step 1) or Shift+Tab (step -1) reaches from `from`, in focus order:
    // an enabled one, and of the option buttons only the selected one. From a control outside
    // the order it starts at the first or the last. With `wrap` it goes round past the end,
    // without it there is none.
    std::optional<Ctl> nextTabStop(Ctl from, int step, bool wrap) const;

    // The controls changed since the last call, for the view to mirror.
    std::bitset<kControlCount> takeChanges();

    // What a screen reader must hear after the last user event, to be said once the event and
    // its report are over; empty when nothing. Load brings nothing.
    const std::string& announcement() const { return announcement_; }
    // Where the focus goes after the last click when the pressed button disabled itself; a
    // view moves it there if it was on the button. None: it stays where it is.
    std::optional<Ctl> focusAfter() const { return focusAfter_; }

    // Part of a control's text, in characters, with the caret at its end.
    struct Selection {
        Ctl control;
        int start = 0;
        int end = 0;
        bool operator==(const Selection&) const = default;
    };
    // Where the focus stands when the window opens: on the first Tab stop, a field's whole text
    // selected as a Tab into it leaves it, so that the first key typed replaces the start value
    // in every view.
    Selection opening() const;

    // How deeply handlers nested during the last user event: 0 when none ran, 1 when no handler
    // wrote a field with a handler of its own.
    int deepestChain() const { return deepestChain_; }

    // Change events nested deeper than this end with an overflow failure instead of exhausting
    // the stack. Every chain of this window ends after a handful of rounds.
    static constexpr int kChainLimit = 200;

private:
    struct ControlState {
        std::string text;
        bool enabled = true;
        bool selected = false;
    };
    using Handler = void (Form::*)();

    // Runs one user event; `typed` is the field the user typed `text` into, `pressed` the
    // button or option clicked.
    template <typename Event>
    std::optional<Failure> run(Event&& event, std::optional<Ctl> typed = std::nullopt,
                               std::string_view text = {},
                               std::optional<Ctl> pressed = std::nullopt) noexcept;
    ResultTexts resultTexts() const;

    // Field access for the handlers.
    void setText(Ctl field, std::string text);
    void setCaption(Ctl label, std::string caption);
    void setEnabled(Ctl control, bool enabled);
    void raise(Ctl control);
    static Handler handlerFor(Ctl control);

    // Reads with the empty-field test: an empty field gives `whenEmpty`.
    Integer integerOr(Ctl field, Integer whenEmpty) const;
    Real realOr(Ctl field, Real whenEmpty) const;
    // Reads without it: an empty field fails with invalid number.
    Integer integerIn(Ctl field) const;
    Real realIn(Ctl field) const;
    // The sign of the number a field's text reads as, decided on its digits alone.
    int signIn(Ctl field) const;
    std::string show(Real value) const { return realToText(value, format_); }

    // Window operations shared by the handlers.
    void checkSPEED();
    void calcMW(double demand, const std::string& demandName, std::string_view hint);
    // The speed limit from the stored speed rating, reported in terms of "V=" when it fails.
    void calcVmax();
    Failure gForceOutOfRange(Real g) const;

    void Form_Load();
    // Vehicle and speed fields
    void txtAFzg_Change();
    void txtVFzg_Change();
    void txtV_Change();
    // Accelerate and brake panels
    void cmdAccel_Click();
    void cmdCalcMWBrake_Click();
    void txtErfolgeBrems_Change();
    void cmdBrake_Click();
    // Turn panel
    void optRadius_Click();
    void optGForce_Click();
    void txtGForce_Change();
    void txtGForceMK_Change();
    void cmdCalcMWTURN_Click();
    void txtErfolgeKurve_Change();
    void cmdTurn_Click();

    NumberFormat format_;
    VehicleState state_;
    std::array<ControlState, kControlCount> controls_;
    std::bitset<kControlCount> changed_;
    std::bitset<kControlCount> written_; // during the current event, changed or not
    std::string announcement_;
    std::optional<Ctl> focusAfter_;
    int chainLimit_;
    int chainDepth_ = 0;
    int deepestChain_ = 0;
};

} // namespace velorix
