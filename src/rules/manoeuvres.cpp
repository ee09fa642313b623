// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/manoeuvres.h"

namespace velorix {

namespace {

Real modifierForExcess(Integer excess) {
    const Real q = storeReal(excess / 20.0);
    Real r = roundReal(q, 0);
    // Rounding may have gone down (or to the even neighbour): make it the next whole number.
    if (q - r > 0) {
        r = r + 1;
    }
    return r;
}

// Runs one step of a rule that a report names, its failure marked as the step's.
template <typename Calculation>
auto step(Calculation calculation) {
    try {
        return calculation();
    } catch (const Failure& failure) {
        throw StepFailure(failure);
    }
}

} // namespace

Real calcMW(const VehicleState& state, double demand) {
    if (demand > state.Amax) {
        // An Integer or a float minus an Integer is exact in double wherever the result can fit
        // an Integer.
        return modifierForExcess(realToInteger(demand - state.Amax));
    }
    return 0;
}

void applyACCEL(VehicleState& state, Integer n) {
    const Integer k = step([&] { return checkedProduct(n, state.AFzg); });
    state.Vakt = storeReal(static_cast<double>(state.Vakt) + k);
}

void applyBRAKE(VehicleState& state, Integer m, Integer d) {
    if (d > state.Amax) {
        const Real t = storeReal(static_cast<double>(state.Vakt) - state.Amax);
        const Integer k = step([&] { return checkedProduct(state.AFzg, m); });
        state.Vakt = storeReal(static_cast<double>(t) - k);
    } else {
        state.Vakt = storeReal(static_cast<double>(state.Vakt) - d);
    }
}

Real calcTURN(VehicleState& state) {
    const double speed = state.Vakt;
    const Real a = storeReal(checkedQuotient(speed * speed, state.Radius));
    const Real g = storeReal(checkedQuotient(a, MK_PER_G));
    state.Aturn = a;
    return g;
}

void calcTURN(VehicleState& state, Real g) {
    const Real a = step([&] { return storeReal(static_cast<double>(g) * MK_PER_G); });
    state.Aturn = a;
    const double speed = state.Vakt;
    state.Radius = storeReal(checkedQuotient(speed * speed, a));
}

Real applyTURN(VehicleState& state) {
    const Real phi = step([&] {
        return storeReal(checkedQuotient(static_cast<double>(state.Vakt) * 60, state.Radius));
    });
    const Real angle = roundReal(phi, 0);
    state.Vakt = storeReal(static_cast<double>(state.Vakt) - state.Aturn);
    return angle;
}

} // namespace velorix
