// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/form.h"

#include <string>
#include <string_view>
#include <vector>

namespace velorix::testing {

// Plays a user at the window's behaviour: edits arrive one keystroke at a time, as from the
// keyboard, and every failure the window reports is kept.
class User {
public:
    explicit User(Form& form)
        : form_(form) {}

    // Types at the end of the field's text, one character at a time.
    void type(Ctl field, std::string_view keys) {
        for (std::string_view key : characters(keys)) {
            send(form_.edit(field, form_.text(field) + std::string(key)));
        }
    }

    // Selects the whole text, then types: the first keystroke replaces it.
    void replace(Ctl field, std::string_view keys) {
        bool first = true;
        for (std::string_view key : characters(keys)) {
            const std::string text =
                first ? std::string(key) : form_.text(field) + std::string(key);
            first = false;
            send(form_.edit(field, text));
        }
    }

    // Selects the whole text and pastes over it: one edit to the new text.
    void paste(Ctl field, std::string text) { send(form_.edit(field, std::move(text))); }

    // Selects the whole text and deletes it: one edit to the empty text.
    void clear(Ctl field) { send(form_.edit(field, "")); }

    void backspace(Ctl field) {
        std::string text = form_.text(field);
        if (!text.empty()) {
            // Step back over a whole UTF-8 character.
            std::size_t end = text.size() - 1;
            while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
                --end;
            }
            text.erase(end);
        }
        send(form_.edit(field, text));
    }

    void click(Ctl control) { send(form_.click(control)); }

    const std::vector<Failure>& failures() const { return failures_; }
    bool failed() const { return !failures_.empty(); }
    FailureKind lastFailure() const { return failures_.back().kind(); }
    void forgetFailures() { failures_.clear(); }

private:
    static std::vector<std::string_view> characters(std::string_view keys) {
        std::vector<std::string_view> out;
        for (std::size_t i = 0; i < keys.size();) {
            std::size_t n = 1;
            while (i + n < keys.size() &&
                   (static_cast<unsigned char>(keys[i + n]) & 0xC0) == 0x80) {
                ++n;
            }
            out.push_back(keys.substr(i, n));
            i += n;
        }
        return out;
    }

    void send(std::optional<Failure> outcome) {
        if (outcome) {
            failures_.push_back(*outcome);
        }
    }

    Form& form_;
    std::vector<Failure> failures_;
};

} // namespace velorix::testing
