// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velorix {

// Every control of the window, in the order of the layout table below.
enum class Ctl : std::uint8_t {
    // groups on the window, topmost first
    Frame1,
    Frame2,
    Frame5,
    Frame8,
    Frame4,
    Frame3,
    // "Beschleunigung des Fahrzeugs"
    Label2,
    txtAFzg,
    Label1,
    Label3,
    lblAmax,
    label4,
    // "Höchstgeschwindigkeit des Fahrzeugs"
    Label5,
    txtVFzg,
    Label6,
    Label7,
    lblVmax,
    Label8,
    // "Aktuelle Geschwindigkeit"
    txtV,
    Label9,
    // "Erforderlicher Mindestwurf"
    lblMindestwurf,
    // "Aktion"
    Frame6,
    Frame7,
    // "Bremsen"
    Label11,
    txtBremsDiff,
    Label12,
    cmdCalcMWBrake,
    txtErfolgeBrems,
    Label15,
    cmdBrake,
    Line1,
    Line2,
    Line3,
    // "Beschleunigen"
    txtErfolgeBeschl,
    Label10,
    cmdAccel,
    // "Kurve"
    optRadius,
    txtRadius,
    Label13,
    optGForce,
    txtGForce,
    Label14,
    txtGForceMK,
    Label17,
    cmdCalcMWTURN,
    txtErfolgeKurve,
    Label16,
    cmdTurn,
    txtPHI,
    Label18,
    Line4,
    Line5,
    Line6,
};

enum class Kind : std::uint8_t { Frame, Label, TextBox, CommandButton, OptionButton, Line };

// Positions in twips (1/1440 inch), relative to the containing group.
struct Twips {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A line's two end points, in twips relative to the containing group.
struct LineEnds {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

struct ControlSpec {
    Ctl id;
    std::string_view name; // also the widget's object name
    Kind kind;
    std::optional<Ctl> parent; // none: placed directly on the window
    std::string_view text;     // caption or initial text
    Twips place;               // empty for a line
    LineEnds ends;             // a line's only
    int tab = -1;              // tab index; -1 for lines
    bool enabled = true;       // at start
    bool selected = false;     // option buttons: Value at start
    bool wraps = false;        // a label whose caption breaks onto a second line
};

// The window's client area and title.
inline constexpr int kClientWidthTwips = 9105;
inline constexpr int kClientHeightTwips = 6405;
inline constexpr std::string_view kWindowTitle = "Velorix";

inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Ctl::Line6) + 1;

// The text fields, command buttons and option buttons: the controls that take the focus.
inline constexpr std::size_t kFocusCount = 18;

constexpr std::size_t index(Ctl c) {
    return static_cast<std::size_t>(c);
}

// The layout table; within each group the rows are in drawing order, topmost first.
extern const std::array<ControlSpec, kControlCount> kLayout;

inline const ControlSpec& layoutRow(Ctl c) {
    return kLayout[index(c)];
}

// The controls that take the keyboard focus, in focus order (ascending tab index).
std::array<Ctl, kFocusCount> focusOrder();

} // namespace velorix
