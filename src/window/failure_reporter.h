// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "numbers/failure.h"

namespace velorix {

// Tells the user about a failure, once per user event.
class FailureReporter {
public:
    virtual ~FailureReporter() = default;
    virtual void report(const Failure& failure) = 0;
};

} // namespace velorix
