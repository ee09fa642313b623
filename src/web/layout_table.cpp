// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the window's layout table, accessible names, and Tab stops and opening focus after Load
// as JSON, for the page to be built from the very rows the desktop window is built from, and the
// window's width in pixels at the scale the page is built with (the one argument, in twips per
// pixel). Run once when the page is built, so that the page carries the table instead of asking
// the program at every start.
#include "window/accessibility.h"
#include "window/form.h"
#include "window/layout.h"
#include "window/scale.h"

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

using namespace velorix;

namespace {

const char* kindName(Kind k) {
    switch (k) {
    case Kind::Frame:
        return "frame";
    case Kind::Label:
        return "label";
    case Kind::TextBox:
        return "text";
    case Kind::CommandButton:
        return "button";
    case Kind::OptionButton:
        return "option";
    case Kind::Line:
        break;
    }
    return "line";
}

// A JSON string: quotation mark and backslash escaped, and every control character, which JSON
// does not allow raw, as \u00XX. Everything else is UTF-8 as it stands.
void quoted(std::string& out, std::string_view s) {
    out += '"';
    for (const char c : s) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string layoutJson(std::string_view twipsPerPixel) {
    std::string out = "{\"title\":";
    quoted(out, kWindowTitle);
    out += ",\"width\":" + std::to_string(kClientWidthTwips);
    out += ",\"height\":" + std::to_string(kClientHeightTwips) + ",\"controls\":[";
    for (const ControlSpec& row : kLayout) {
        out += row.id == Ctl{} ? "{\"name\":" : ",{\"name\":";
        quoted(out, row.name);
        out += ",\"kind\":\"";
        out += kindName(row.kind);
        out += "\",\"parent\":" +
               std::to_string(row.parent ? static_cast<int>(index(*row.parent)) : -1);
        // A line's place is its two ends, x1, y1, x2, y2; every other control's its box.
        const std::array<int, 4> place =
            row.kind == Kind::Line
                ? std::array{row.ends.x1, row.ends.y1, row.ends.x2, row.ends.y2}
                : std::array{row.place.left, row.place.top, row.place.width, row.place.height};
        out += ",\"place\":[" + std::to_string(place[0]) + ',' + std::to_string(place[1]) + ',' +
               std::to_string(place[2]) + ',' + std::to_string(place[3]) + ']';
        out += ",\"text\":";
        quoted(out, row.text);
        out += ",\"wraps\":";
        out += row.wraps ? "true" : "false";
        out += ",\"enabled\":";
        out += row.enabled ? "true" : "false";
        out += ",\"selected\":";
        out += row.selected ? "true" : "false";
        out += ",\"spoken\":";
        quoted(out, accessibleName(row.id));
        out += '}';
    }
    out += "],\"focus\":[";
    const auto order = focusOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        out += (i ? "," : "") + std::to_string(index(order[i]));
    }
    // The first and the last Tab stop of the window after Load, where the browser's own Tab
    // enters it from before and after.
    Form form(NumberFormat{","});
    if (form.load()) {
        return {};
    }
    const auto first = form.nextTabStop(Ctl{}, 1, false);
    const auto last = form.nextTabStop(Ctl{}, -1, false);
    if (!first || !last) {
        return {};
    }
    // Where the focus opens, and which part of the field's text is selected.
    const Form::Selection opening = form.opening();
    return out + "],\"tabStops\":[" + std::to_string(index(*first)) + ',' +
           std::to_string(index(*last)) + "],\"opening\":[" +
           std::to_string(index(opening.control)) + ',' + std::to_string(opening.start) + ',' +
           std::to_string(opening.end) + "],\"windowWidth\":" +
           std::to_string(windowWidth(realFromText(twipsPerPixel, NumberFormat{}))) + '}';
}

} // namespace

int main(int argc, char* argv[]) {
    const std::string json = argc == 2 ? layoutJson(argv[1]) : std::string();
    return json.empty() || std::fputs(json.c_str(), stdout) < 0 ? 1 : 0;
}
