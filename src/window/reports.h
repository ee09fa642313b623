// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "numbers/failure.h"
#include "numbers/text.h"
#include "window/layout.h"

#include <string>
#include <string_view>

namespace velorix {

// The words of the failure reports. The number library and the rules say only what went wrong;
// the window knows which field it read and which value it used, and names them by the captions
// the player sees, with what to do about it where that helps.

// A text as a report quotes it: in German quotation marks, cut after 40 characters with "…",
// control characters shown as visible symbols so that the report stays on one line.
std::string quoted(std::string_view text);

// A control's caption as a report quotes it: "„Kurve“".
std::string captionOf(Ctl control);

// A field as the player finds it on screen: "„A=“", or "„Erfolge“ unter „Bremsen“".
std::string fieldName(Ctl field);

// A field's text that did not read as a number (whole or real), or whose value is out of range.
Failure unreadableField(FailureKind kind, Ctl field, std::string_view text, bool whole,
                        const NumberFormat& format);

// An integer result outside -32768..32767: "<what> liegt außerhalb von -32768 bis 32767." and
// the hint after it.
Failure outOfIntegerRange(const std::string& what, std::string_view hint);

// A real result beyond the single-precision range, with the hint after it.
Failure outOfRealRange(const std::string& what, std::string_view hint, const NumberFormat& format);

} // namespace velorix
