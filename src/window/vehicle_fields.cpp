// SPDX-License-Identifier: GPL-3.0-or-later
// The three fields at the top: acceleration rating, speed rating and current speed.
#include "window/form.h"

namespace velorix {

using enum Ctl;

// Derives Vmax, clamps the speed and shows it. When the shown text differs from the field's,
// txtV_Change reads it back and runs this again, so Vakt ends as the field shows it.
void Form::checkSPEED() {
    calcMAXSPEED(state_);
    clampSPEED(state_);
    setText(txtV, show(state_.Vakt));
}

void Form::txtAFzg_Change() {
    state_.AFzg = integerOr(txtAFzg, state_.AFzg);
    calcMAXACCEL(state_);
    setCaption(lblAmax, integerToText(state_.Amax));
}

// Does not clamp the speed: that waits for the next checkSPEED.
void Form::txtVFzg_Change() {
    state_.VFzg = integerOr(txtVFzg, state_.VFzg);
    calcMAXSPEED(state_);
    setCaption(lblVmax, integerToText(state_.Vmax));
}

// Also an emptied field is clamped and so refilled at once.
void Form::txtV_Change() {
    state_.Vakt = realOr(txtV, state_.Vakt);
    checkSPEED();
}

} // namespace velorix
