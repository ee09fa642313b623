// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form.h"

#include "window/reports.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <utility>

namespace velorix {

using enum Ctl;

Form::Form(NumberFormat format, int chainLimit)
    : format_(std::move(format))
    , chainLimit_(chainLimit) {
    // Design-time texts raise no Change events.
    for (const ControlSpec& row : kLayout) {
        ControlState& c = controls_[index(row.id)];
        c.text = row.text;
        c.enabled = row.enabled;
        c.selected = row.selected;
    }
}

Form::Handler Form::handlerFor(Ctl control) {
    // Which event of which control runs which handler. A text field's event is Change, a
    // button's or option's is Click.
    static const std::array<Handler, kControlCount> wiring = [] {
        std::array<Handler, kControlCount> h{};
        h[index(txtAFzg)] = &Form::txtAFzg_Change;
        h[index(txtVFzg)] = &Form::txtVFzg_Change;
        h[index(txtV)] = &Form::txtV_Change;
        h[index(cmdAccel)] = &Form::cmdAccel_Click;
        h[index(cmdCalcMWBrake)] = &Form::cmdCalcMWBrake_Click;
        h[index(txtErfolgeBrems)] = &Form::txtErfolgeBrems_Change;
        h[index(cmdBrake)] = &Form::cmdBrake_Click;
        h[index(optRadius)] = &Form::optRadius_Click;
        h[index(optGForce)] = &Form::optGForce_Click;
        h[index(txtGForce)] = &Form::txtGForce_Change;
        h[index(txtGForceMK)] = &Form::txtGForceMK_Change;
        h[index(cmdCalcMWTURN)] = &Form::cmdCalcMWTURN_Click;
        h[index(txtErfolgeKurve)] = &Form::txtErfolgeKurve_Change;
        h[index(cmdTurn)] = &Form::cmdTurn_Click;
        return h;
    }();
    return wiring[index(control)];
}

template <typename Event>
std::optional<Failure> Form::run(Event&& event, std::optional<Ctl> typed, std::string_view text,
                                 std::optional<Ctl> pressed) noexcept {
    try {
        ResultTexts before = resultTexts();
        // The field typed in speaks the keys itself: only a rewrite of what was typed is news.
        for (std::size_t i = 0; i < kSpokenResults.size(); ++i) {
            if (kSpokenResults[i].result == typed) {
                before[i] = text;
            }
        }
        written_.reset();
        std::optional<Failure> outcome;
        try {
            event();
        } catch (const Failure& failure) {
            outcome = failure;
            // Its report speaks instead; only what really changed is said after it.
            written_.reset();
        }
        announcement_ = velorix::announcement(before, resultTexts(), written_, pressed);
        return outcome;
    } catch (const std::exception& e) {
        // Running out of memory is none of the failures a report names, and the window cannot
        // go on from a half-run handler: the program ends, saying why.
        const bool memory = dynamic_cast<const std::bad_alloc*>(&e) != nullptr;
        std::fprintf(stderr, "Velorix: %s. Das Programm wird beendet.\n",
                     memory ? "Kein Speicher mehr frei" : e.what());
        std::abort();
    }
}

ResultTexts Form::resultTexts() const {
    ResultTexts texts;
    for (std::size_t i = 0; i < kSpokenResults.size(); ++i) {
        texts[i] = text(kSpokenResults[i].result);
    }
    return texts;
}

std::optional<Failure> Form::load() noexcept {
    deepestChain_ = 0;
    const auto outcome = run([this] { Form_Load(); });
    announcement_.clear();
    return outcome;
}

std::optional<Failure> Form::edit(Ctl field, std::string text) noexcept {
    deepestChain_ = 0;
    announcement_.clear();
    focusAfter_.reset();
    if (layoutRow(field).kind != Kind::TextBox || !enabled(field)) {
        return std::nullopt;
    }
    // The text is looked at before the event takes it.
    return run([&] { setText(field, std::move(text)); }, field, text);
}

std::optional<Failure> Form::click(Ctl control) noexcept {
    deepestChain_ = 0;
    announcement_.clear();
    focusAfter_.reset();
    const ControlSpec& row = layoutRow(control);
    if (!enabled(control)) {
        return std::nullopt;
    }
    if (row.kind == Kind::OptionButton) {
        if (selected(control)) {
            return std::nullopt;
        }
        // Selecting one option of a group clears the others.
        for (const ControlSpec& other : kLayout) {
            if (other.kind == Kind::OptionButton && other.parent == row.parent) {
                ControlState& c = controls_[index(other.id)];
                if (c.selected != (other.id == control)) {
                    c.selected = other.id == control;
                    changed_.set(index(other.id));
                }
            }
        }
    } else if (row.kind != Kind::CommandButton) {
        return std::nullopt;
    }
    const auto outcome = run([&] { raise(control); }, std::nullopt, {}, control);
    if (!enabled(control)) {
        focusAfter_ = focusAfterDisabling(control);
    }
    return outcome;
}

std::optional<Ctl> Form::nextTabStop(Ctl from, int step, bool wrap) const {
    static const auto order = focusOrder();
    const auto n = static_cast<long>(order.size());
    const auto at = std::find(order.begin(), order.end(), from) - order.begin();
    long i = at < n ? at : (step > 0 ? -1 : n);
    for (long tried = 0; tried < n; ++tried) {
        i += step > 0 ? 1 : -1;
        if (i < 0 || i >= n) {
            if (!wrap) {
                return std::nullopt;
            }
            i = (i + n) % n;
        }
        const Ctl c = order[static_cast<std::size_t>(i)];
        if (enabled(c) && (layoutRow(c).kind != Kind::OptionButton || selected(c))) {
            return c;
        }
    }
    return std::nullopt;
}

Form::Selection Form::opening() const {
    const Ctl first = nextTabStop(Ctl{}, 1, false).value();
    if (layoutRow(first).kind != Kind::TextBox) {
        return {first};
    }
    // Every byte but a UTF-8 continuation begins a character.
    const std::string& t = text(first);
    return {first, 0, static_cast<int>(std::count_if(t.begin(), t.end(), [](char c) {
                return (static_cast<unsigned char>(c) & 0xc0) != 0x80;
            }))};
}

std::bitset<kControlCount> Form::takeChanges() {
    return std::exchange(changed_, {});
}

void Form::setText(Ctl field, std::string text) {
    ControlState& c = controls_[index(field)];
    written_.set(index(field));
    if (c.text == text) {
        return;
    }
    c.text = std::move(text);
    changed_.set(index(field));
    raise(field);
}

void Form::setCaption(Ctl label, std::string caption) {
    ControlState& c = controls_[index(label)];
    written_.set(index(label));
    if (c.text != caption) {
        c.text = std::move(caption);
        changed_.set(index(label));
    }
}

void Form::setEnabled(Ctl control, bool enabled) {
    ControlState& c = controls_[index(control)];
    if (c.enabled != enabled) {
        c.enabled = enabled;
        changed_.set(index(control));
    }
}

void Form::raise(Ctl control) {
    const Handler handler = handlerFor(control);
    if (handler == nullptr) {
        return;
    }
    if (chainDepth_ >= chainLimit_) {
        throw Failure(FailureKind::Overflow, "Das Feld " + fieldName(control) + " wurde mehr als " +
                                                 std::to_string(chainLimit_) +
                                                 "-mal in Folge neu geschrieben, die Felder " +
                                                 "ändern einander ohne Ende.");
    }
    deepestChain_ = std::max(deepestChain_, ++chainDepth_);
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{chainDepth_};
    (this->*handler)();
}

Integer Form::integerOr(Ctl field, Integer whenEmpty) const {
    return text(field).empty() ? whenEmpty : integerIn(field);
}

Real Form::realOr(Ctl field, Real whenEmpty) const {
    return text(field).empty() ? whenEmpty : realIn(field);
}

Integer Form::integerIn(Ctl field) const {
    try {
        return integerFromText(text(field), format_);
    } catch (const Failure& failure) {
        throw unreadableField(failure.kind(), field, text(field), true, format_);
    }
}

Real Form::realIn(Ctl field) const {
    try {
        return realFromText(text(field), format_);
    } catch (const Failure& failure) {
        throw unreadableField(failure.kind(), field, text(field), false, format_);
    }
}

int Form::signIn(Ctl field) const {
    try {
        return signFromText(text(field), format_);
    } catch (const Failure& failure) {
        throw unreadableField(failure.kind(), field, text(field), false, format_);
    }
}

void Form::Form_Load() {
    state_.AFzg = integerIn(txtAFzg);
    state_.VFzg = integerIn(txtVFzg);
    state_.Vakt = realIn(txtV);
}

} // namespace velorix
