#!/usr/bin/env bash
# Shows the main window on a virtual X display and saves a PNG of it, to check
# that every Chinese caption renders and fits. The program runs on a drive
# folder of its own that already holds the marker and the settings, so the
# first-run notice does not come up.
#   bash scripts/screenshot.sh [NAVOKET-EXECUTABLE] [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build-demo/app/navoket}
output=${2:-$(dirname "$program")/../screenshot-main.png}
[[ -x "$program" ]] || { echo "no executable at $program (build the target navoket first)" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [[ -n "$app_pid" ]] && kill "$app_pid" 2>/dev/null || true
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The marker and a settings file as an earlier run leaves them (code page 936);
# the address lookup goes to a closed loopback port, never out of the machine.
drive="$work/drive-c"
mkdir -p -m 700 "$drive/Torvane/Navoket/Person"
printf 'False' >"$drive/Torvane/Navoket/run.txt"
printf '[Email]\r\nsmtp=smtp.example.com\r\naccount=someone@example.com\r\npassword=907381\r\nreceive=someone@example.com\r\n[Ship]\r\nName=EVER GIVEN\r\nData=0\r\n[Endpoints]\r\nlookup0=127.0.0.1:1\r\n' \
    >"$drive/Torvane/Navoket/Person/config.ini"

# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_for() {
    local tries=$1
    shift
    until "$@" >/dev/null 2>&1; do
        ((tries-- > 0)) || return 1
        sleep 0.1
    done
}

display=99
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x300x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
wait_for 100 xwininfo -root || { echo "Xvfb did not start" >&2; exit 1; }

QT_QPA_PLATFORM=xcb "$program" --drive-root "$drive" >/dev/null 2>&1 &
app_pid=$!
has_window() { xwininfo -root -tree | grep -q '"Navoket 0.2"'; }
wait_for 300 has_window || { echo "the main window did not appear" >&2; exit 1; }
# Let the one-second clock fill its label once.
sleep 1.5
window=$(xwininfo -root -tree | awk '/"Navoket 0.2"/ { print $1; exit }')
import -window "$window" "$output"
echo "saved $output"
