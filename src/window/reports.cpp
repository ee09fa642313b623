// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/reports.h"

#include "window/accessibility.h"

namespace velorix {

namespace {

std::string inQuotes(std::string_view caption) {
    return "„" + std::string(caption) + "“";
}

} // namespace

std::string captionOf(Ctl control) {
    return inQuotes(layoutRow(control).text);
}

std::string quoted(std::string_view text) {
    constexpr int kShown = 40;
    std::string out = "„";
    int characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool continuation = (byte & 0xc0) == 0x80;
        if (!continuation && ++characters > kShown) {
            out += "…";
            break;
        }
        const std::string_view rest = text.substr(i);
        if (rest.starts_with("\u2028") || rest.starts_with("\u2029") ||
            rest.starts_with("\u0085")) {
            // The Unicode line and paragraph separators and the next-line character.
            out += "\u2424";
            i += rest[0] == '\xc2' ? 1 : 2;
        } else if (byte < 0x20) {
            // U+2400 onwards: the control pictures, such as ␊ for a line break.
            out += "\xe2\x90";
            out += static_cast<char>(0x80 + byte);
        } else if (byte == 0x7f) {
            out += "\xe2\x90\xa1";
        } else {
            out += text[i];
        }
    }
    return out + "“";
}

std::string fieldName(Ctl field) {
    for (const AccessibleName& row : kAccessibleNames) {
        if (row.control == field && row.caption) {
            std::string name = captionOf(*row.caption);
            if (row.context) {
                name += (layoutRow(*row.context).kind == Kind::Frame ? " unter " : " neben ") +
                        captionOf(*row.context);
            }
            return name;
        }
    }
    return inQuotes(layoutRow(field).name);
}

Failure unreadableField(FailureKind kind, Ctl field, std::string_view text, bool whole,
                        const NumberFormat& format) {
    const std::string& comma = format.decimalSeparator;
    if (kind == FailureKind::InvalidNumber) {
        const std::string hint = " Bitte eine Zahl eintragen, etwa 12 oder 2" + comma + "5.";
        if (text.empty()) {
            return Failure(kind, "Das Feld " + fieldName(field) + " ist leer." + hint);
        }
        return Failure(kind, "Im Feld " + fieldName(field) + " steht " + quoted(text) +
                                 ", das ist keine Zahl." + hint);
    }
    if (whole) {
        return Failure(kind, "Im Feld " + fieldName(field) + " steht " + quoted(text) +
                                 ", gerundet liegt das außerhalb von " + integerRange() + "." +
                                 " Bitte eine Zahl in diesem Bereich eintragen.");
    }
    return Failure(kind, "Im Feld " + fieldName(field) + " steht " + quoted(text) +
                             ", das liegt außerhalb des Zahlenbereichs von etwa -3" + comma +
                             "4E+38 bis 3" + comma +
                             "4E+38. Bitte eine Zahl in diesem Bereich eintragen.");
}

Failure outOfIntegerRange(const std::string& what, std::string_view hint) {
    std::string detail = what + " liegt außerhalb von " + integerRange() + ".";
    if (!hint.empty()) {
        detail += ' ';
        detail += hint;
    }
    return Failure(FailureKind::Overflow, std::move(detail));
}

Failure outOfRealRange(const std::string& what, std::string_view hint, const NumberFormat& format) {
    const std::string& comma = format.decimalSeparator;
    return Failure(FailureKind::Overflow, what + " liegt außerhalb des Zahlenbereichs von etwa -3" +
                                              comma + "4E+38 bis 3" + comma + "4E+38. " +
                                              std::string(hint));
}

} // namespace velorix
