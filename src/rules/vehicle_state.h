// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "numbers/arithmetic.h"

namespace velorix {

// The whole state of the calculator. The derived limits follow the ratings only when their
// rule runs; callers decide when.
struct VehicleState {
    Integer Amax = 0; // maximum safe braking acceleration, m/k², 4 × AFzg
    Integer AFzg = 0; // acceleration rating, m/k²
    Integer VFzg = 0; // speed rating, m/k
    Integer Vmax = 0; // maximum speed, m/k, 1.5 × VFzg rounded
    Real Vakt = 0;    // current speed, m/k
    Real Aturn = 0;   // lateral acceleration of the planned turn, m/k²
    Real Radius = 0;  // radius of the planned turn, m
};

// The limits per point of rating.
inline constexpr Integer kAmaxPerAFzg = 4;
inline constexpr double kVmaxPerVFzg = 1.5;

// Vmax ← 1.5 × VFzg, halves to even; overflow from VFzg ≥ 21845 or ≤ −21846, Vmax unchanged.
void calcMAXSPEED(VehicleState& state);

// Amax ← 4 × AFzg; overflow outside −8192..8191, Amax unchanged.
void calcMAXACCEL(VehicleState& state);

// Limits Vakt to 0..Vmax, the upper bound first, so a negative Vmax gives 0. Cannot fail.
void clampSPEED(VehicleState& state);

} // namespace velorix
