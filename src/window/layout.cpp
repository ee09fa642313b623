// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/layout.h"

#include <algorithm>

namespace velorix {

namespace {

using enum Ctl;
using enum Kind;

constexpr ControlSpec group(Ctl id, std::string_view name, std::optional<Ctl> parent,
                            std::string_view caption, Twips place, int tab) {
    return {id, name, Frame, parent, caption, place, {}, tab};
}

enum Flags : unsigned { kPlain = 0, kDisabled = 1, kSelected = 2, kWraps = 4 };

constexpr ControlSpec control(Ctl id, std::string_view name, Kind kind, Ctl parent,
                              std::string_view text, Twips place, int tab,
                              unsigned flags = kPlain) {
    return {id,
            name,
            kind,
            parent,
            text,
            place,
            {},
            tab,
            (flags & kDisabled) == 0,
            (flags & kSelected) != 0,
            (flags & kWraps) != 0};
}

constexpr ControlSpec line(Ctl id, std::string_view name, Ctl parent, LineEnds ends) {
    return {id, name, Kind::Line, parent, {}, {}, ends};
}

constexpr bool takesFocus(Kind kind) {
    return kind == TextBox || kind == CommandButton || kind == OptionButton;
}

constexpr std::size_t focusCount(const std::array<ControlSpec, kControlCount>& rows) {
    return static_cast<std::size_t>(std::count_if(
        rows.begin(), rows.end(), [](const ControlSpec& r) { return takesFocus(r.kind); }));
}

constexpr bool inTableOrder(const std::array<ControlSpec, kControlCount>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (index(rows[i].id) != i) {
            return false;
        }
    }
    return true;
}

} // namespace

// "Kurve" (Frame4) is not a child of "Aktion" (Frame3) but lies over it, between its two child
// groups, and is drawn above it.
extern constexpr std::array<ControlSpec, kControlCount> kLayout = {{
    group(Frame1, "Frame1", {}, "Beschleunigung des Fahrzeugs", {120, 120, 6735, 735}, 0),
    group(Frame2, "Frame2", {}, "Höchstgeschwindigkeit des Fahrzeugs", {120, 960, 6735, 735}, 7),
    group(Frame5, "Frame5", {}, "Aktuelle Geschwindigkeit", {6960, 120, 2055, 735}, 16),
    group(Frame8, "Frame8", {}, "Erforderlicher Mindestwurf", {6960, 960, 2055, 735}, 35),
    group(Frame4, "Frame4", {}, "Kurve", {360, 3600, 8415, 1335}, 15),
    group(Frame3, "Frame3", {}, "Aktion", {120, 1800, 8775, 4335}, 14),

    control(Label2, "Label2", Label, Frame1, "A=", {120, 360, 255, 255}, 3),
    control(txtAFzg, "txtAFzg", TextBox, Frame1, "10", {480, 330, 615, 285}, 1),
    control(Label1, "Label1", Label, Frame1, "m/k²", {1200, 360, 375, 255}, 2),
    control(Label3, "Label3", Label, Frame1,
            "max. sichere Bremsbeschleunigung:  Amax=", {1800, 360, 3255, 255}, 4),
    control(lblAmax, "lblAmax", Label, Frame1, "", {5160, 360, 615, 255}, 5),
    control(label4, "label4", Label, Frame1, "m/k²", {6000, 360, 495, 255}, 6),

    control(Label5, "Label5", Label, Frame2, "V=", {120, 360, 255, 255}, 8),
    control(txtVFzg, "txtVFzg", TextBox, Frame2, "100", {480, 330, 615, 285}, 9),
    control(Label6, "Label6", Label, Frame2, "m/k", {1200, 360, 375, 255}, 10),
    control(Label7, "Label7", Label, Frame2, "max. Geschwindigkeit: Vmax=", {1800, 360, 2175, 255},
            11),
    control(lblVmax, "lblVmax", Label, Frame2, "", {4080, 360, 855, 255}, 12),
    control(Label8, "Label8", Label, Frame2, "m/k", {5160, 360, 735, 255}, 13),

    control(txtV, "txtV", TextBox, Frame5, "0", {240, 330, 735, 285}, 17),
    control(Label9, "Label9", Label, Frame5, "m/k", {1080, 360, 375, 255}, 18),

    control(lblMindestwurf, "lblMindestwurf", Label, Frame8, "Mindestwurf", {480, 360, 975, 255},
            36),

    group(Frame6, "Frame6", Frame3, "Bremsen", {240, 360, 5535, 1335}, 19),
    group(Frame7, "Frame7", Frame3, "Beschleunigen", {240, 3360, 5535, 855}, 20),

    control(Label11, "Label11", Label, Frame6, "Verzögern um:", {120, 360, 1095, 255}, 24),
    control(txtBremsDiff, "txtBremsDiff", TextBox, Frame6, "0", {1200, 330, 495, 285}, 23),
    control(Label12, "Label12", Label, Frame6, "m/k", {1800, 360, 375, 255}, 25),
    control(cmdCalcMWBrake, "cmdCalcMWBrake", CommandButton, Frame6, "Berechne den Mindestwurf",
            {120, 720, 2055, 375}, 37),
    control(txtErfolgeBrems, "txtErfolgeBrems", TextBox, Frame6, "0", {2760, 840, 495, 285}, 38),
    control(Label15, "Label15", Label, Frame6, "Erfolge", {3360, 840, 735, 255}, 39),
    control(cmdBrake, "cmdBrake", CommandButton, Frame6, "BRAKE!", {4440, 720, 975, 375}, 26,
            kDisabled),
    line(Line1, "Line1", Frame6, {2280, 840, 2640, 840}),
    line(Line2, "Line2", Frame6, {2520, 720, 2640, 840}),
    line(Line3, "Line3", Frame6, {2520, 960, 2640, 840}),

    control(txtErfolgeBeschl, "txtErfolgeBeschl", TextBox, Frame7, "0", {120, 360, 495, 285}, 21),
    control(Label10, "Label10", Label, Frame7, "Erfolge", {720, 400, 615, 255}, 22),
    control(cmdAccel, "cmdAccel", CommandButton, Frame7, "ACCELERATE!", {4080, 240, 1335, 375}, 27),

    control(optRadius, "optRadius", OptionButton, Frame4, "Option1", {120, 360, 255, 255}, 28,
            kSelected),
    control(txtRadius, "txtRadius", TextBox, Frame4, "100", {480, 360, 975, 285}, 30),
    control(Label13, "Label13", Label, Frame4, "Radius [m]", {1560, 360, 975, 255}, 32),
    control(optGForce, "optGForce", OptionButton, Frame4, "Option2", {120, 840, 255, 255}, 29),
    control(txtGForce, "txtGForce", TextBox, Frame4, "1", {480, 840, 735, 285}, 31, kDisabled),
    control(Label14, "Label14", Label, Frame4, "g-Force", {1440, 840, 615, 255}, 33),
    control(txtGForceMK, "txtGForceMK", TextBox, Frame4, "76", {2280, 840, 855, 285}, 43,
            kDisabled),
    control(Label17, "Label17", Label, Frame4, "m/k²", {3240, 840, 375, 255}, 44),
    control(cmdCalcMWTURN, "cmdCalcMWTURN", CommandButton, Frame4, "Berechne den Mindestwurf",
            {2520, 240, 2055, 375}, 40),
    control(txtErfolgeKurve, "txtErfolgeKurve", TextBox, Frame4, "0", {4080, 840, 615, 285}, 41),
    control(Label16, "Label16", Label, Frame4, "Erfolge", {4800, 840, 615, 255}, 42),
    control(cmdTurn, "cmdTurn", CommandButton, Frame4, "TURN!", {4680, 240, 735, 375}, 34,
            kDisabled),
    control(txtPHI, "txtPHI", TextBox, Frame4, "0", {7080, 240, 735, 375}, 46),
    control(Label18, "Label18", Label, Frame4, "Überstrichener Winkel in einer Kampfrunde",
            {6600, 720, 1695, 495}, 45, kWraps),
    line(Line4, "Line4", Frame4, {3720, 720, 3720, 960}),
    line(Line5, "Line5", Frame4, {3960, 960, 3720, 960}),
    line(Line6, "Line6", Frame4, {5520, 360, 6840, 360}),
}};
static_assert(inTableOrder(kLayout), "every row must stand at the index of its Ctl");
static_assert(focusCount(kLayout) == kFocusCount, "kFocusCount counts the focusable rows");

std::array<Ctl, kFocusCount> focusOrder() {
    std::array<Ctl, kFocusCount> order{};
    std::size_t n = 0;
    for (const ControlSpec& row : kLayout) {
        if (takesFocus(row.kind)) {
            order.at(n++) = row.id;
        }
    }
    std::sort(order.begin(), order.end(),
              [](Ctl a, Ctl b) { return layoutRow(a).tab < layoutRow(b).tab; });
    return order;
}

} // namespace velorix
