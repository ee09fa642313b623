# SPDX-License-Identifier: GPL-3.0-or-later
# Copies the page's script without its comment lines and indentation, which are a third of what
# a browser would otherwise download and parse at every start. Lines stay lines, so the script
# means the same; it has no text spanning lines.
file(READ ${FROM} text)
string(REGEX REPLACE "\n[ \t]*//[^\n]*" "" text "${text}")
string(REGEX REPLACE "\n[ \t]+" "\n" text "${text}")
file(WRITE ${TO} "${text}")
