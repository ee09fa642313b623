// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/accessibility.h"

#include <algorithm>

namespace velorix {

namespace {

using enum Ctl;

constexpr AccessibleName named(Ctl control, std::array<std::optional<Ctl>, 3> parts,
                               std::optional<Ctl> caption = {}, std::optional<Ctl> context = {}) {
    return {control, parts, caption, context};
}

// A control's own parts must be static captions: the output labels change as the user types.
constexpr bool readsOnlyCaptions(const std::array<AccessibleName, kFocusCount>& rows) {
    for (const AccessibleName& row : rows) {
        for (const std::optional<Ctl>& part : row.parts) {
            if (part && (*part == lblAmax || *part == lblVmax || *part == lblMindestwurf)) {
                return false;
            }
        }
        for (const std::optional<Ctl>& named : {row.caption, row.context}) {
            if (named && std::find(row.parts.begin(), row.parts.end(), named) == row.parts.end()) {
                return false;
            }
        }
    }
    return true;
}

// A row left out of a table is a zero-initialised one, naming the first group: every row names
// a control of its own, and none that first group.
template <typename Row, std::size_t N, typename Key>
constexpr bool rowsDistinct(const std::array<Row, N>& rows, Key key) {
    for (std::size_t i = 0; i < N; ++i) {
        if (key(rows[i]) == Ctl{}) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (key(rows[j]) == key(rows[i])) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

// The two "Berechne den Mindestwurf" buttons tell their group after their caption; the option
// buttons, drawn without a caption, take the label of their row. The current speed has no label
// of its own beside it, only its unit: its group's caption names it.
extern constexpr std::array<AccessibleName, kFocusCount> kAccessibleNames = {{
    named(txtAFzg, {Frame1, Label2, Label1}, Label2),
    named(txtVFzg, {Frame2, Label5, Label6}, Label5),
    named(txtV, {Frame5, Label9}, Frame5),
    named(txtBremsDiff, {Frame6, Label11, Label12}, Label11),
    named(cmdCalcMWBrake, {cmdCalcMWBrake, Frame6}),
    named(txtErfolgeBrems, {Frame6, Label15}, Label15, Frame6),
    named(cmdBrake, {cmdBrake}),
    named(txtErfolgeBeschl, {Frame7, Label10}, Label10, Frame7),
    named(cmdAccel, {cmdAccel}),
    named(optRadius, {Label13}),
    named(txtRadius, {Frame4, Label13}, Label13),
    named(optGForce, {Label14}),
    named(txtGForce, {Frame4, Label14}, Label14),
    named(txtGForceMK, {Frame4, Label14, Label17}, Label17, Label14),
    named(cmdCalcMWTURN, {cmdCalcMWTURN, Frame4}),
    named(txtErfolgeKurve, {Frame4, Label16}, Label16, Frame4),
    named(cmdTurn, {cmdTurn}),
    named(txtPHI, {Label18}, Label18),
}};
static_assert(readsOnlyCaptions(kAccessibleNames),
              "names read static captions, and a report's are among them");
static_assert(rowsDistinct(kAccessibleNames, [](const AccessibleName& r) { return r.control; }),
              "one row for every control that takes the focus");

std::string accessibleName(Ctl control) {
    const auto row =
        std::find_if(kAccessibleNames.begin(), kAccessibleNames.end(),
                     [control](const AccessibleName& r) { return r.control == control; });
    if (row == kAccessibleNames.end()) {
        return {};
    }
    std::string name;
    for (const std::optional<Ctl>& part : row->parts) {
        if (!part) {
            continue;
        }
        if (!name.empty()) {
            name += ' ';
        }
        name += layoutRow(*part).text;
    }
    return name;
}

std::optional<Ctl> labelOf(const AccessibleName& row) {
    if (!row.caption || layoutRow(*row.caption).kind == Kind::Label) {
        return row.caption;
    }
    const auto label = std::find_if(row.parts.begin(), row.parts.end(), [](std::optional<Ctl> p) {
        return p && layoutRow(*p).kind == Kind::Label;
    });
    return label == row.parts.end() ? std::nullopt : *label;
}

// The fields a turn derives and the speed are said too when the program rewrites them, also
// while they are being typed in: a screen reader speaks the keys, not the rewrite.
extern constexpr std::array<SpokenResult, 8> kSpokenResults = {{
    {lblAmax, {Label3}, label4, {}},
    {lblVmax, {Label7}, Label8, {}},
    {txtRadius, {Frame4, Label13}, {}, {cmdCalcMWTURN}},
    {txtGForce, {Frame4, Label14}, {}, {cmdCalcMWTURN}},
    {txtGForceMK, {Frame4, Label14}, Label17, {cmdCalcMWTURN}},
    {lblMindestwurf, {Frame8}, {}, {cmdCalcMWBrake, cmdCalcMWTURN}},
    {txtPHI, {Label18}, {}, {cmdTurn}},
    {txtV, {Frame5}, Label9, {cmdBrake, cmdAccel, cmdTurn}},
}};
static_assert(rowsDistinct(kSpokenResults, [](const SpokenResult& r) { return r.result; }),
              "one row for every result");

std::string spokenResult(const SpokenResult& row, std::string_view value) {
    if (value.find_first_not_of(' ') == std::string_view::npos) {
        return {};
    }
    std::string spoken;
    // Captions are laid out with runs of blanks; a reader wants single ones.
    const auto append = [&spoken](std::string_view words) {
        for (const char c : words) {
            if (c != ' ' || (!spoken.empty() && spoken.back() != ' ')) {
                spoken += c;
            }
        }
        if (!spoken.empty() && spoken.back() != ' ') {
            spoken += ' ';
        }
    };
    for (const std::optional<Ctl>& caption : row.captions) {
        if (caption) {
            append(layoutRow(*caption).text);
        }
    }
    append(value);
    if (row.unit) {
        append(layoutRow(*row.unit).text);
    }
    spoken.pop_back();
    return spoken;
}

std::string announcement(const ResultTexts& before, const ResultTexts& after,
                         const std::bitset<kControlCount>& written, std::optional<Ctl> pressed) {
    std::string said;
    for (std::size_t i = 0; i < kSpokenResults.size(); ++i) {
        const SpokenResult& row = kSpokenResults[i];
        const bool ownResult =
            pressed && written.test(index(row.result)) &&
            std::find(row.buttons.begin(), row.buttons.end(), *pressed) != row.buttons.end();
        if (before[i] == after[i] && !ownResult) {
            continue;
        }
        const std::string spoken = spokenResult(row, after[i]);
        if (!spoken.empty()) {
            said += said.empty() ? spoken : ", " + spoken;
        }
    }
    return said;
}

std::optional<Ctl> focusAfterDisabling(Ctl button) {
    // The panel's successes field, where braking or turning again begins; a Space typed there
    // only adds a blank after the number.
    switch (button) {
    case cmdBrake:
        return txtErfolgeBrems;
    case cmdTurn:
        return txtErfolgeKurve;
    default:
        return std::nullopt;
    }
}

} // namespace velorix
