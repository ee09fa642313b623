// SPDX-License-Identifier: GPL-3.0-or-later
// The page's way into the window's behaviour: plain C functions over one Form. Every entry point
// is noexcept and reports a failure as data, so no C++ exception ever reaches JavaScript. Texts
// go both ways as UTF-8; a returned text stays valid until the next call.
#include "window/accessibility.h"
#include "window/form.h"
#include "window/layout.h"

#include <bitset>
#include <memory>
#include <optional>
#include <string>

using namespace velorix;

namespace {

std::unique_ptr<Form> form;
std::bitset<kControlCount> changes;
std::string failure; // the last event's report, empty when it ran through

bool valid(int c) {
    return form && c >= 0 && static_cast<std::size_t>(c) < kControlCount;
}

int outcome(const std::optional<Failure>& result) noexcept {
    changes |= form->takeChanges();
    try {
        failure = result ? result->message() : std::string();
    } catch (...) {
        failure = "Überlauf: kein Speicher mehr";
    }
    return result ? 1 : 0;
}

} // namespace

extern "C" {

// Makes the window with the given decimal separator and runs its Load handler. Returns 1 when
// Load failed (the report is velorix_failure()), 0 when it ran through, -1 without a window.
int velorix_start(const char* decimalSeparator) noexcept {
    try {
        form = std::make_unique<Form>(NumberFormat{decimalSeparator});
    } catch (...) {
        form.reset();
        return -1;
    }
    // The page was built with the window as it stands after Load: only what Load changed, if
    // anything, needs writing.
    changes.reset();
    return outcome(form->load());
}

// The user's change of a field's text, and the user's click on a button or option.
int velorix_edit(int control, const char* text) noexcept {
    if (!valid(control)) {
        return -1;
    }
    std::string value;
    try {
        value = text;
    } catch (...) {
        return -1;
    }
    return outcome(form->edit(static_cast<Ctl>(control), std::move(value)));
}

int velorix_click(int control) noexcept {
    return valid(control) ? outcome(form->click(static_cast<Ctl>(control))) : -1;
}

const char* velorix_failure() noexcept {
    return failure.c_str();
}

// What a screen reader must hear after the last event, once its report is closed; empty for
// nothing.
const char* velorix_announcement() noexcept {
    return form ? form->announcement().c_str() : "";
}

// The control the focus goes to after the last click, if the pressed button disabled itself and
// held the focus; -1 when it stays.
int velorix_focus() noexcept {
    const auto to = form ? form->focusAfter() : std::nullopt;
    return to ? static_cast<int>(index(*to)) : -1;
}

// Whether the control changed since the last time this was asked for it.
int velorix_changed(int control) noexcept {
    if (!valid(control)) {
        return 0;
    }
    const bool was = changes.test(static_cast<std::size_t>(control));
    changes.reset(static_cast<std::size_t>(control));
    return was ? 1 : 0;
}

const char* velorix_text(int control) noexcept {
    return valid(control) ? form->text(static_cast<Ctl>(control)).c_str() : "";
}

// The control Tab (step 1) or Shift+Tab (step -1) reaches from `control` (any number outside
// the controls: from before the first), going round when `wrap` is 1; -1 for none.
int velorix_next_tab_stop(int control, int step, int wrap) noexcept {
    if (!form) {
        return -1;
    }
    const auto from = valid(control) ? static_cast<Ctl>(control) : Ctl{};
    const auto to = form->nextTabStop(from, step, wrap != 0);
    return to ? static_cast<int>(index(*to)) : -1;
}

// Bit 0: enabled; bit 1: selected.
int velorix_flags(int control) noexcept {
    if (!valid(control)) {
        return 0;
    }
    const auto c = static_cast<Ctl>(control);
    return (form->enabled(c) ? 1 : 0) | (form->selected(c) ? 2 : 0);
}

} // extern "C"
