// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers/failure.h"

#include <utility>

namespace velorix {

const char* failureKindName(FailureKind kind) noexcept {
    switch (kind) {
    case FailureKind::InvalidNumber:
        return "Ungültige Zahl";
    case FailureKind::Overflow:
        return "Überlauf";
    case FailureKind::FloatingPointFault:
        return "Gleitkommafehler";
    }
    return "Fehler";
}

Failure::Failure(FailureKind kind, std::string detail)
    : kind_(kind)
    , detail_(std::move(detail))
    , message_(std::string(failureKindName(kind)) + ": " + detail_) {}

} // namespace velorix
