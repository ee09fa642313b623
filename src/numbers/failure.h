// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exception>
#include <string>

namespace velorix {

// The three ways a calculation can fail. Every failure the program reports is one of these.
enum class FailureKind { InvalidNumber, Overflow, FloatingPointFault };

// The kind as the user reads it, first in every failure report.
const char* failureKindName(FailureKind kind) noexcept;

// Thrown by a conversion or a checked operation; it ends the running handler and every handler
// whose write raised it. The detail is a short German explanation for the report.
class Failure : public std::exception {
public:
    Failure(FailureKind kind, std::string detail);

    FailureKind kind() const noexcept { return kind_; }
    const std::string& detail() const noexcept { return detail_; }
    // "<kind>: <detail>", the text of the report.
    const std::string& message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    FailureKind kind_;
    std::string detail_;
    std::string message_;
};

} // namespace velorix
