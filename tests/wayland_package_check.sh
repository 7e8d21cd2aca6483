#!/usr/bin/env bash
# The installed package under Wayland alone (Weston, headless): it starts with
# a file and a folder listed, destroys them, reports success and ends cleanly on
# SIGTERM. Run inside a D-Bus session: dbus-run-session -- tests/wayland_package_check.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
weston="" corvane=""
trap 'kill $corvane $weston 2>/dev/null; rm -rf "$dir"' EXIT
mkdir -m 700 "$dir/runtime" && mkdir -p "$dir/home" "$dir/victims/folder/sub"
head -c 8388608 /dev/urandom >"$dir/victims/big"
echo a >"$dir/victims/folder/sub/a" && echo b >"$dir/victims/folder/b"
export XDG_RUNTIME_DIR="$dir/runtime" HOME="$dir/home" QT_QPA_PLATFORM=wayland
export WAYLAND_DISPLAY=corvane-check QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset DISPLAY XDG_CONFIG_HOME
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 >/dev/null 2>&1 &
weston=$!
for _ in $(seq 100); do [ -S "$dir/runtime/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
/usr/bin/corvane "$dir/victims/big" "$dir/victims/folder" &
corvane=$!
report=$(/usr/bin/python3 "$here/wayland_drive.py")
[ "$report" = "Operation Completed Successfully!" ] || { echo "report: $report"; exit 1; }
[ -z "$(ls -A "$dir/victims")" ] || { echo "left: $(ls -A "$dir/victims")"; exit 1; }
kill -TERM "$corvane"
status=0
wait "$corvane" || status=$?
corvane=""
[ "$status" -eq 0 ] || { echo "ended with $status after SIGTERM"; exit 1; }
[ -s "$HOME/.config/corvane/corvane.ini" ] || { echo "settings not saved"; exit 1; }
echo "Wayland: listed, destroyed, reported and closed"
