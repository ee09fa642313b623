#!/usr/bin/env bash
# Renders the window under a virtual X server into a PNG: scripts/screenshot.sh <velorix> <out.png>
set -euo pipefail
program=${1:?path to the velorix binary}
out=${2:?output PNG}
display=:${SCREENSHOT_DISPLAY:-97}
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$app" "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display QT_QPA_PLATFORM=xcb "$program" &
app=$!
for _ in $(seq 100); do
    id=$(DISPLAY=$display xdotool search --name '^Velorix$' 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && break
    sleep 0.1
done
sleep 1
DISPLAY=$display import -window "${id:-root}" "$out"
