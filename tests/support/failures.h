// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "numbers/failure.h"

#include <QMetaType>

#include <optional>

// Which failure, if any, ended an operation: a column type for data-driven tests.
Q_DECLARE_METATYPE(std::optional<velorix::FailureKind>)

namespace velorix::testing {

inline constexpr auto kOk = std::optional<FailureKind>{};
inline constexpr auto kInvalid = std::optional<FailureKind>{FailureKind::InvalidNumber};
inline constexpr auto kOverflow = std::optional<FailureKind>{FailureKind::Overflow};
inline constexpr auto kFault = std::optional<FailureKind>{FailureKind::FloatingPointFault};

// Runs f and tells which failure, if any, ended it.
template <typename F>
std::optional<FailureKind> failureOf(F&& f) {
    try {
        f();
    } catch (const Failure& failure) {
        return failure.kind();
    }
    return std::nullopt;
}

} // namespace velorix::testing
