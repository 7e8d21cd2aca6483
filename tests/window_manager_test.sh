#!/usr/bin/env bash
# Runs the window-manager tests on a virtual X server managed by openbox, as on
# a desktop: the window manager places, stacks and lists the windows.
set -euo pipefail
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  openbox --sm-disable & wm=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
  done
  status=0
  QT_QPA_PLATFORM=xcb "$0" --gtest_filter="UnderWindowManager*" || status=$?
  kill $wm
  exit $status' "$1"
