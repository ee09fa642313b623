// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/failure_reporter.h"
#include "window/form.h"

#include <QCoreApplication>
#include <QWidget>

#include <array>
#include <optional>

namespace velorix {

class Announcement;

// The number conventions of the user's locale, read once at start.
NumberFormat systemNumberFormat();

// The window as the user sees it: widgets built from the layout table, each named after its
// row. It forwards the user's edits and clicks to the Form, mirrors the Form back and hands a
// failure to the reporter. No behaviour lives here.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    MainWindow(NumberFormat format, FailureReporter& reporter, QWidget* parent = nullptr);

    const Form& form() const { return form_; }
    QWidget* widget(Ctl c) const { return widgets_[index(c)]; }

protected:
    // Tab and Shift+Tab go round the window's focus order as the Form rules it.
    bool focusNextPrevChild(bool next) override;

private:
    void build();
    void connectEvents();
    // Moves the focus where the Form sends it, mirrors what the Form changed and the field the
    // user edited, reports a failure and then says what the Form has to say.
    void deliver(std::optional<Failure> outcome, std::optional<Ctl> edited = std::nullopt,
                 std::optional<Ctl> pressed = std::nullopt);
    void mirror(Ctl c);
    void announce(const std::string& message);

    Form form_;
    FailureReporter& reporter_;
    std::array<QWidget*, kControlCount> widgets_{};
    bool mirroring_ = false;               // the view is writing the Form's text into a field
    Announcement* announcement_ = nullptr; // made at the first announcement
};

// Loads the toolkit's German texts into the application; false when they are not installed.
bool installGermanToolkitTexts(QCoreApplication& app);

// Shows a failure in a modal message box titled "Velorix".
class MessageBoxReporter : public FailureReporter {
public:
    void report(const Failure& failure) override;
};

} // namespace velorix
