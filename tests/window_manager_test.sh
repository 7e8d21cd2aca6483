#!/usr/bin/env bash
# Runs the window-manager tests on a virtual X server managed by openbox, as on
# a desktop: the window manager places, stacks and lists the windows. The
# server picks a free display itself, so tests and builds running at the same
# time never meet on one display.
set -euo pipefail
tests="$1"
dir=$(mktemp -d)
server=""
openbox=""
trap 'kill $openbox $server 2>/dev/null; rm -rf "$dir"' EXIT
fail() {
  echo "window_manager_test: $*" >&2
  exit 1
}
# Openbox reads its settings and keeps its log under the home folder: a private one.
export HOME="$dir/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache" XDG_DATA_HOME="$HOME/.local/share"
mkdir -p "$HOME"
# Waits for a file to be written by a process, failing when the process ends
# first or nothing comes within two minutes (a cold font cache alone can take
# seconds on a loaded machine).
wait_for() {  # file pid what
  for _ in $(seq 1200); do
    [ -s "$1" ] && return 0
    kill -0 "$2" 2>/dev/null || fail "$3 ended before it was ready"
    sleep 0.1
  done
  fail "$3 was not ready after two minutes"
}
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" 2>/dev/null &
server=$!
wait_for "$dir/display" "$server" Xvfb
export DISPLAY=":$(head -n1 "$dir/display")"
unset XAUTHORITY WAYLAND_DISPLAY
# Openbox claims the display (_NET_SUPPORTING_WM_CHECK) before it loads its
# theme and fonts, and a window mapped in between is left unmanaged, out of
# sight. Its startup command runs once it handles new windows.
openbox --sm-disable --startup "sh -c 'echo ready >\"\$0\"' '$dir/openbox-ready'" >/dev/null 2>&1 &
openbox=$!
wait_for "$dir/openbox-ready" "$openbox" openbox
QT_QPA_PLATFORM=xcb "$tests" --gtest_filter="UnderWindowManager*"
