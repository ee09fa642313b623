// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "numbers/failure.h"
#include "rules/vehicle_state.h"

namespace velorix {

// A failure of a step of a manoeuvre that a report names in the player's terms: the successes
// times the acceleration rating, the g-force in m/k², the angle of the turn. Every other failure
// of a rule is a plain Failure.
class StepFailure : public Failure {
public:
    explicit StepFailure(const Failure& failure)
        : Failure(failure) {}
};

// The target-number raise for demanding an acceleration beyond Amax: +1 for every started
// 20 m/k² of excess, 0 when the demand is within Amax. Overflow when the excess lies beyond the
// integer range. The brake panel demands an integer, the turn panel a real, whose excess is
// rounded to an integer first (halves to even). Both are exact in a double.
Real calcMW(const VehicleState& state, double demand);

// Vakt ← Vakt + n × AFzg. An overflowing product leaves Vakt unchanged. No clamp.
void applyACCEL(VehicleState& state, Integer n);

// Braking by d m/k. Within Amax it is applied as requested; beyond Amax it is replaced by Amax
// plus AFzg for each success after the first (m is successes minus one). No clamp.
void applyBRAKE(VehicleState& state, Integer m, Integer d);

// 1 g in m/k².
inline constexpr Real MK_PER_G = 76.0f;

// Plans a turn from the stored Radius (> 0): Aturn ← Vakt² / Radius; returns the g-force.
Real calcTURN(VehicleState& state);

// Plans a turn from a g-force g (> 0): Aturn ← g × 76, Radius ← Vakt² / Aturn.
void calcTURN(VehicleState& state, Real g);

// Takes the planned turn: returns the angle swept in one combat turn, Vakt × 60 / Radius rounded
// half to even, and lowers Vakt by Aturn. Radius 0 fails with a floating-point fault and leaves
// Vakt unchanged. No clamp.
Real applyTURN(VehicleState& state);

} // namespace velorix
