// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/layout.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velorix {

// What a screen reader says for a control that takes the focus: the captions of the labels and
// groups that name it on screen, read in this order. A field's own text is its value, not its
// name, so only labels, groups and a button's own caption take part.
struct AccessibleName {
    Ctl control;
    std::array<std::optional<Ctl>, 3> parts;
    // The label that stands for the control on screen; it becomes the label's buddy.
    std::optional<Ctl> label;
};

// One row for every text field, command button and option button.
extern const std::array<AccessibleName, kFocusCount> kAccessibleNames;

// The spoken name of a control; empty for a control without a row.
std::string accessibleName(Ctl control);

// A value the window works out, spoken as it appears: its caption, the value, its unit. The
// buttons that work it out speak it even when it comes out unchanged.
struct SpokenResult {
    Ctl result;
    Ctl caption;
    std::optional<Ctl> unit;
    std::array<std::optional<Ctl>, 3> buttons;
};

// In the order a screen reader says them when one event brings several.
extern const std::array<SpokenResult, 5> kSpokenResults;

// What a screen reader says for a result with this value: nothing for a blank one.
std::string spokenResult(const SpokenResult& row, std::string_view value);

} // namespace velorix
