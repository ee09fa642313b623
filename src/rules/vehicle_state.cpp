// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/vehicle_state.h"

#include <cmath>

namespace velorix {

void calcMAXSPEED(VehicleState& state) {
    // 1.5 × an integer is exact in double; only the rounding to Integer can fail.
    state.Vmax = realToInteger(state.VFzg * kVmaxPerVFzg);
}

void calcMAXACCEL(VehicleState& state) {
    state.Amax = checkedProduct(state.AFzg, kAmaxPerAFzg);
}

void clampSPEED(VehicleState& state) {
    if (state.Vakt > state.Vmax) {
        state.Vakt = state.Vmax;
    }
    if (state.Vakt < 0 || std::isnan(state.Vakt)) {
        state.Vakt = 0;
    }
}

} // namespace velorix
