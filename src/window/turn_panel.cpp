// SPDX-License-Identifier: GPL-3.0-or-later
// "Kurve": planning a turn from its radius or its g-force, and taking it.
#include "rules/manoeuvres.h"
#include "window/form.h"
#include "window/reports.h"

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
    const Real g = realOr(txtGForce, 0);
    Real x = 0;
    try {
        x = storeReal(static_cast<double>(g) * MK_PER_G);
    } catch (const Failure&) {
        throw gForceOutOfRange(g);
    }
    setText(txtGForceMK, show(roundReal(x, 0)));
}

Failure Form::gForceOutOfRange(Real g) const {
    return outOfRealRange(fieldName(txtGForce) + " (" + show(g) + ") × " + show(MK_PER_G),
                          "Bitte eine kleinere g-Force eintragen.", format_);
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
            Real g = 0;
            try {
                g = calcTURN(state_);
            } catch (const Failure&) {
                throw outOfRealRange("Die Querbeschleunigung " + fieldName(txtV) + "² / " +
                                         fieldName(txtRadius) + " = " + show(state_.Vakt) + "² / " +
                                         show(state_.Radius),
                                     "Bitte einen größeren Radius eintragen.", format_);
            }
            setText(txtGForce, show(g));
            setText(txtGForceMK, show(state_.Aturn));
        }
    }
    if (selected(optGForce)) {
        const Real g = realOr(txtGForce, 0);
        if (g > 0) {
            try {
                calcTURN(state_, g);
            } catch (const StepFailure&) {
                throw gForceOutOfRange(g);
            } catch (const Failure&) {
                throw outOfRealRange("Der Radius " + fieldName(txtV) + "² / (" +
                                         fieldName(txtGForce) + " × " + show(MK_PER_G) +
                                         ") = " + show(state_.Vakt) + "² / (" + show(g) + " × " +
                                         show(MK_PER_G) + ")",
                                     "Bitte eine größere g-Force eintragen.", format_);
            }
            setText(txtRadius, show(state_.Radius));
        }
    }
    calcMW(state_.Aturn, "Die Querbeschleunigung der Kurve (" + show(state_.Aturn) + " m/k²)",
           "Bitte in " + captionOf(Frame4) +
               " einen größeren Radius oder eine kleinere g-Force wählen.");
}

// Compared unrounded, unlike the brake panel's successes: 0,4 enables "TURN!", and so does any
// number above 0, however small or large.
void Form::txtErfolgeKurve_Change() {
    const std::string& successes = text(txtErfolgeKurve);
    if (!successes.empty() && signIn(txtErfolgeKurve) > 0) {
        setEnabled(cmdTurn, true);
    }
}

// Uses Aturn and Radius as the last "Berechne den Mindestwurf" left them. With Radius 0 it fails
// before the angle or the speed change and stays enabled.
void Form::cmdTurn_Click() {
    checkSPEED();
    Real angle = 0;
    try {
        angle = applyTURN(state_);
    } catch (const StepFailure& failure) {
        // The angle, over a radius of 0 or too large to hold.
        if (state_.Radius == 0) {
            throw Failure(failure.kind(),
                          "Es ist keine Kurve berechnet, ihr Radius ist 0. Bitte zuerst in " +
                              captionOf(Frame4) +
                              " einen Radius über 0 angeben (oder eine g-Force bei einer "
                              "Geschwindigkeit über 0) und " +
                              captionOf(cmdCalcMWTURN) + " drücken.");
        }
        throw outOfRealRange("Der Winkel " + fieldName(txtV) + " × 60 / Radius = " +
                                 show(state_.Vakt) + " × 60 / " + show(state_.Radius),
                             "Bitte in " + captionOf(Frame4) + " einen größeren Radius angeben " +
                                 "und " + captionOf(cmdCalcMWTURN) + " drücken.",
                             format_);
    } catch (const Failure& failure) {
        throw Failure(failure.kind(), "Bei der Kurve: " + failure.detail() + ".");
    }
    setText(txtPHI, show(angle));
    checkSPEED();
    setEnabled(cmdTurn, false);
}

} // namespace velorix
