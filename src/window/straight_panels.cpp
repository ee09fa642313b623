// SPDX-License-Identifier: GPL-3.0-or-later
// "Beschleunigen" and "Bremsen", and the modifier shown under "Erforderlicher Mindestwurf".
#include "rules/manoeuvres.h"
#include "window/form.h"
#include "window/reports.h"

namespace velorix {

using enum Ctl;

// Both panels show the modifier for a demanded acceleration; each names its demand and says
// what to change when the excess over "Amax=" is beyond the whole numbers.
void Form::calcMW(double demand, const std::string& demandName, std::string_view hint) {
    Real modifier = 0;
    try {
        modifier = velorix::calcMW(state_, demand);
    } catch (const Failure&) {
        throw outOfIntegerRange(demandName + " − „Amax=“ (" + integerToText(state_.Amax) + ")",
                                hint);
    }
    setCaption(lblMindestwurf, "+" + show(modifier));
}

void Form::cmdAccel_Click() {
    const Integer n = integerOr(txtErfolgeBeschl, 0);
    try {
        applyACCEL(state_, n);
    } catch (const StepFailure&) {
        throw outOfIntegerRange(fieldName(txtErfolgeBeschl) + " (" + integerToText(n) + ") × " +
                                    fieldName(txtAFzg) + " (" + integerToText(state_.AFzg) +
                                    ") = " + std::to_string(long{n} * state_.AFzg),
                                "Bitte weniger Erfolge eintragen.");
    } catch (const Failure& failure) {
        throw Failure(failure.kind(), "Beim Beschleunigen: " + failure.detail() + ".");
    }
    checkSPEED();
}

void Form::cmdCalcMWBrake_Click() {
    const Integer demand = integerOr(txtBremsDiff, 0);
    calcMW(demand, fieldName(txtBremsDiff) + " (" + integerToText(demand) + ")",
           "Bitte eine kleinere Verzögerung eintragen.");
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
    Integer m = 0;
    try {
        m = checkedDifference(n, 1);
    } catch (const Failure&) {
        throw outOfIntegerRange(fieldName(txtErfolgeBrems) + " (" + integerToText(n) +
                                    ") − 1 = " + std::to_string(n - 1),
                                "Bitte eine Zahl von " + integerRange(0, kIntegerMax) +
                                    " eintragen.");
    }
    const Integer d = integerIn(txtBremsDiff);
    try {
        applyBRAKE(state_, m, d);
    } catch (const StepFailure&) {
        throw outOfIntegerRange(fieldName(txtAFzg) + " (" + integerToText(state_.AFzg) + ") × (" +
                                    fieldName(txtErfolgeBrems) + " − 1) (" + integerToText(m) +
                                    ") = " + std::to_string(long{state_.AFzg} * m),
                                "Bitte weniger Erfolge eintragen.");
    } catch (const Failure& failure) {
        throw Failure(failure.kind(), "Beim Bremsen: " + failure.detail() + ".");
    }
    checkSPEED();
}

} // namespace velorix
