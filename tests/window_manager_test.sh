#!/usr/bin/env bash
# Runs the window-manager tests on a virtual X server managed by openbox, as on
# a desktop: the window manager places, stacks and lists the windows. The
# server picks a free display itself, so tests and builds running at the same
# time never meet on one display.
set -euo pipefail
tests="$1"
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" 2>/dev/null &
server=$!
openbox=""
trap 'kill $openbox $server 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$dir/display")"
unset XAUTHORITY WAYLAND_DISPLAY
openbox --sm-disable >/dev/null 2>&1 &
openbox=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
QT_QPA_PLATFORM=xcb "$tests" --gtest_filter="UnderWindowManager*"
