// SPDX-License-Identifier: GPL-3.0-or-later
// "Beschleunigen" and "Bremsen", and the modifier shown under "Erforderlicher Mindestwurf".
#include "rules/manoeuvres.h"
#include "window/form.h"
#include "window/reports.h"

namespace velorix {

using enum Ctl;

// Only the brake panel demands a whole deceleration.
void Form::calcMW(Integer demand) {
    Real modifier = 0;
    try {
        modifier = velorix::calcMW(state_, demand);
    } catch (const Failure&) {
        throw outOfIntegerRange("„Verzögern um:“ (" + integerToText(demand) + ") − „Amax=“ (" +
                                    integerToText(state_.Amax) +
                                    ") = " + std::to_string(demand - state_.Amax),
                                "Bitte eine kleinere Verzögerung eintragen.");
    }
    setCaption(lblMindestwurf, "+" + show(modifier));
}

// The turn panel demands the lateral acceleration of the planned curve.
void Form::calcMW(Real demand) {
    Real modifier = 0;
    try {
        modifier = velorix::calcMW(state_, demand);
    } catch (const Failure&) {
        throw outOfIntegerRange(
            "Die Querbeschleunigung der Kurve (" + show(demand) + " m/k²) − „Amax=“ (" +
                integerToText(state_.Amax) + ")",
            "Bitte in „Kurve“ einen größeren Radius oder eine kleinere g-Force wählen.");
    }
    setCaption(lblMindestwurf, "+" + show(modifier));
}

void Form::cmdAccel_Click() {
    const Integer n = integerOr(txtErfolgeBeschl, 0);
    try {
        applyACCEL(state_, n);
    } catch (const Failure& failure) {
        const long k = long{n} * state_.AFzg;
        if (k < -32768 || k > 32767) {
            throw outOfIntegerRange("„Erfolge“ unter „Beschleunigen“ (" + integerToText(n) +
                                        ") × „A=“ (" + integerToText(state_.AFzg) +
                                        ") = " + std::to_string(k),
                                    "Bitte weniger Erfolge eintragen.");
        }
        throw Failure(failure.kind(), "Beim Beschleunigen: " + failure.detail() + ".");
    }
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
    const Integer n = integerOr(txtErfolgeBrems, 0);
    if (n == -32768) {
        throw outOfIntegerRange("„Erfolge“ unter „Bremsen“ (-32768) − 1 = -32769",
                                "Bitte eine Zahl von 0 bis 32767 eintragen.");
    }
    const Integer m = checkedDifference(n, 1);
    const Integer d = integerIn(txtBremsDiff);
    try {
        applyBRAKE(state_, m, d);
    } catch (const Failure& failure) {
        const long k = long{state_.AFzg} * m;
        if (d > state_.Amax && (k < -32768 || k > 32767)) {
            throw outOfIntegerRange("„A=“ (" + integerToText(state_.AFzg) +
                                        ") × („Erfolge“ unter „Bremsen“ − 1) (" + integerToText(m) +
                                        ") = " + std::to_string(k),
                                    "Bitte weniger Erfolge eintragen.");
        }
        throw Failure(failure.kind(), "Beim Bremsen: " + failure.detail() + ".");
    }
    checkSPEED();
    setText(txtV, show(state_.Vakt));
}

} // namespace velorix
