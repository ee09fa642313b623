// SPDX-License-Identifier: GPL-3.0-or-later
// The three fields at the top: acceleration rating, speed rating and current speed.
#include "window/form.h"
#include "window/reports.h"

namespace velorix {

using enum Ctl;

// Derives Vmax, clamps the speed and shows it. When the shown text differs from the field's,
// txtV_Change reads it back and runs this again, so Vakt ends as the field shows it, and no
// manoeuvre needs to write the field again after it.
void Form::checkSPEED() {
    calcVmax();
    clampSPEED(state_);
    setText(txtV, show(state_.Vakt));
}

// While an out-of-range rating stays stored, every speed check fails; each report points back at
// the rating, which is where the player has to act.
void Form::calcVmax() {
    try {
        calcMAXSPEED(state_);
    } catch (const Failure&) {
        // 1.5 × 21845 = 32767.5 rounds to the even 32768, 1.5 × -21845 to -32768: the ratings
        // that fit are two thirds of the limits, cut towards 0.
        constexpr long low = 2 * kIntegerMin / 3;
        constexpr long high = 2 * kIntegerMax / 3;
        static_assert(kVmaxPerVFzg == 1.5, "the range is worked out for 1.5");
        throw outOfIntegerRange("„Vmax=“ = " + show(static_cast<Real>(kVmaxPerVFzg)) + " × " +
                                    fieldName(txtVFzg) + " (" + integerToText(state_.VFzg) +
                                    ") = " + show(static_cast<Real>(state_.VFzg * kVmaxPerVFzg)),
                                "Bitte bei " + fieldName(txtVFzg) + " eine Zahl von " +
                                    integerRange(low, high) + " eintragen.");
    }
}

void Form::txtAFzg_Change() {
    state_.AFzg = integerOr(txtAFzg, state_.AFzg);
    try {
        calcMAXACCEL(state_);
    } catch (const Failure&) {
        throw outOfIntegerRange(
            "„Amax=“ = " + integerToText(kAmaxPerAFzg) + " × " + fieldName(txtAFzg) + " (" +
                integerToText(state_.AFzg) + ") = " + std::to_string(state_.AFzg * kAmaxPerAFzg),
            "Bitte bei " + fieldName(txtAFzg) + " eine Zahl von " +
                integerRange(kIntegerMin / kAmaxPerAFzg, kIntegerMax / kAmaxPerAFzg) +
                " eintragen.");
    }
    setCaption(lblAmax, integerToText(state_.Amax));
}

// Does not clamp the speed: that waits for the next checkSPEED.
void Form::txtVFzg_Change() {
    state_.VFzg = integerOr(txtVFzg, state_.VFzg);
    calcVmax();
    setCaption(lblVmax, integerToText(state_.Vmax));
}

// Also an emptied field is clamped and so refilled at once.
void Form::txtV_Change() {
    state_.Vakt = realOr(txtV, state_.Vakt);
    checkSPEED();
}

} // namespace velorix
