// SPDX-License-Identifier: GPL-3.0-or-later
// "Beschleunigen" and "Bremsen", and the modifier shown under "Erforderlicher Mindestwurf".
#include "rules/manoeuvres.h"
#include "window/form.h"

namespace velorix {

using enum Ctl;

void Form::calcMW(double demand) {
    setCaption(lblMindestwurf, "+" + show(velorix::calcMW(state_, demand)));
}

void Form::cmdAccel_Click() {
    applyACCEL(state_, integerOr(txtErfolgeBeschl, 0));
    checkSPEED();
    setText(txtV, show(state_.Vakt));
}

void Form::cmdCalcMWBrake_Click() {
    calcMW(integerOr(txtBremsDiff, 0));
}

// Successes are rounded to an integer: 0,5 does not enable "BRAKE!", 0,6 does. Lowering them
// never disables it.
void Form::txtErfolgeBrems_Change() {
    if (integerOr(txtErfolgeBrems, 0) > 0) {
        setEnabled(cmdBrake, true);
    }
}

// Disables itself first, so a failure further on leaves "BRAKE!" disabled.
void Form::cmdBrake_Click() {
    setEnabled(cmdBrake, false);
    const Integer m = checkedDifference(integerOr(txtErfolgeBrems, 0), 1);
    const Integer d = integerIn(txtBremsDiff);
    applyBRAKE(state_, m, d);
    checkSPEED();
    setText(txtV, show(state_.Vakt));
}

} // namespace velorix
