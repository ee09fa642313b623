// SPDX-License-Identifier: GPL-3.0-or-later
// "Kurve": planning a turn from its radius or its g-force, and taking it.
#include "rules/manoeuvres.h"
#include "window/form.h"

namespace velorix {

using enum Ctl;

// The input mode only decides which fields the user may type into; handlers still write the
// disabled ones.
void Form::optRadius_Click() {
    setEnabled(txtGForce, false);
    setEnabled(txtGForceMK, false);
    setEnabled(txtRadius, true);
}

void Form::optGForce_Click() {
    setEnabled(txtGForce, true);
    setEnabled(txtGForceMK, true);
    setEnabled(txtRadius, false);
}

// The two g-force fields show one lateral acceleration in g and in m/k² and rewrite each other;
// a chain ends as soon as a write repeats a field's text.
void Form::txtGForce_Change() {
    const Real x = storeReal(static_cast<double>(realOr(txtGForce, 0)) * MK_PER_G);
    setText(txtGForceMK, show(roundReal(x, 0)));
}

void Form::txtGForceMK_Change() {
    const Real x = storeReal(checkedQuotient(realOr(txtGForceMK, 0), MK_PER_G));
    setText(txtGForce, show(roundReal(x, 2)));
}

void Form::cmdCalcMWTURN_Click() {
    checkSPEED();
    if (selected(optRadius)) {
        state_.Radius = realOr(txtRadius, 0);
        if (state_.Radius > 0) {
            const Real g = calcTURN(state_);
            setText(txtGForce, show(g));
            setText(txtGForceMK, show(state_.Aturn));
        }
    }
    if (selected(optGForce)) {
        const Real g = realOr(txtGForce, 0);
        if (g > 0) {
            calcTURN(state_, g);
            setText(txtRadius, show(state_.Radius));
        }
    }
    calcMW(state_.Aturn);
}

// Compared unrounded, unlike the brake panel's successes: 0,4 enables "TURN!", and so does any
// number above 0, however small or large.
void Form::txtErfolgeKurve_Change() {
    const std::string& successes = text(txtErfolgeKurve);
    if (!successes.empty() && signFromText(successes, format_) > 0) {
        setEnabled(cmdTurn, true);
    }
}

// Uses Aturn and Radius as the last "Berechne den Mindestwurf" left them. With Radius 0 it fails
// before the angle or the speed change and stays enabled.
void Form::cmdTurn_Click() {
    checkSPEED();
    const Real angle = applyTURN(state_);
    setText(txtPHI, show(angle));
    checkSPEED();
    setText(txtV, show(state_.Vakt));
    setEnabled(cmdTurn, false);
}

} // namespace velorix
