// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/layout.h"

#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

namespace velorix {

// What a screen reader says for a control that takes the focus: the captions of the labels and
// groups that name it on screen, read in this order. A field's own text is its value, not its
// name, so only labels, groups and a button's own caption take part.
struct AccessibleName {
    Ctl control;
    std::array<std::optional<Ctl>, 3> parts;
    // Of those, the caption that names a field in a report ("„A=“"), and where that caption
    // recurs, the group it is under or the label it is beside ("„Erfolge“ unter „Bremsen“").
    std::optional<Ctl> caption;
    std::optional<Ctl> context;
};

// One row for every text field, command button and option button.
extern const std::array<AccessibleName, kFocusCount> kAccessibleNames;

// The spoken name of a control; empty for a control without a row.
std::string accessibleName(Ctl control);

// The label that stands for a field on screen, whose buddy the field becomes: its caption, or
// for a field its group names, the label beside it there.
std::optional<Ctl> labelOf(const AccessibleName& row);

// A value the window works out or rewrites, spoken as it appears: its captions, the value, its
// unit ("Kurve Radius [m] 65,78947", "Aktuelle Geschwindigkeit 225 m/k").
struct SpokenResult {
    Ctl result;
    std::array<std::optional<Ctl>, 2> captions;
    std::optional<Ctl> unit;
    // After one of these buttons the result is said whenever the button wrote it, even when it
    // came out unchanged.
    std::array<std::optional<Ctl>, 3> buttons;
};

// In the order a screen reader says them when one event brings several.
extern const std::array<SpokenResult, 8> kSpokenResults;

// What a screen reader says for a result with this value: nothing for a blank one.
std::string spokenResult(const SpokenResult& row, std::string_view value);

// The results' texts at one moment, in the order of kSpokenResults.
using ResultTexts = std::array<std::string, std::tuple_size_v<decltype(kSpokenResults)>>;

// What a screen-reader user must hear after one user event: every result whose text the event
// changed (for the field typed in: whose text the program rewrote), and the results that the
// pressed button wrote even when unchanged; each once, joined by ", ". Empty when the event
// changed no result.
std::string announcement(const ResultTexts& before, const ResultTexts& after,
                         const std::bitset<kControlCount>& written, std::optional<Ctl> pressed);

// Where the focus goes when a pressed button has disabled itself: into its own panel, on a
// control that a repeated Space or Enter cannot turn into another manoeuvre or a report.
std::optional<Ctl> focusAfterDisabling(Ctl button);

} // namespace velorix
