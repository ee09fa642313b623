// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/layout.h"

#include <bitset>

namespace velorix {

class Announcement;
class MainWindow;

// Speaks the results a screen-reader user cannot see appear: a new maximum while a rating is
// typed, the modifier, the speed and the angle after a manoeuvre. What one event brings is said
// at once, after the event, in one announcement; the window and the focus stay as they are.
class Announcer {
public:
    explicit Announcer(MainWindow& window)
        : window_(window) {}

    // The user pressed a button: the results it works out are said even when unchanged.
    void pressed(Ctl button);
    // The view has just mirrored `c` from the Form.
    void mirrored(Ctl c);

private:
    void pend(Ctl result);
    void speak();

    MainWindow& window_;
    Announcement* announcement_ = nullptr;
    std::bitset<kControlCount> pending_;
};

} // namespace velorix
