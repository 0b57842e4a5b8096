#!/usr/bin/env bash
# Builds a release Navoket and runs it on a local demo setup: stand-ins of the
# vessel-schedule site and of the IP-display site, and a mail catcher, all on
# loopback, and a demo drive C: of its own (build-demo/drive-c, made afresh on
# every run) whose settings point at them. The helpers stop when the program
# exits. Nothing leaves the machine: the update server is a closed local port.
#
# Environment: NAVOKET_DEMO_PORT (default 18080) is the schedule stand-in's
# port; the address stand-in takes the next one.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh

build=$root/build-demo
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNAVOKET_SANITIZE=OFF \
    -DNAVOKET_BUILD_TESTS=OFF -DNAVOKET_BUILD_BENCH=OFF
cmake --build "$build" --target navoket -j "$(nproc)"

port=${NAVOKET_DEMO_PORT:-18080}
address_port=$((port + 1))
vessel="ORIENT LARK"
mail_host=127.0.0.3
site=$root/tools/schedule-site/schedule_site.py
address_site=$root/tools/address-site/address_site.py
catcher=$root/tools/mail-catcher/mail_catcher.py

# The demo drive C: marker and settings, so that the program starts as after
# its first-run setup, already configured (all values are ASCII, so code page
# 936 and UTF-8 agree). Windows writes private-profile files with CR LF.
drive=$build/drive-c
rm -rf "$drive"
mkdir -p "$drive/Torvane/Navoket/Person"
printf 'False' >"$drive/Torvane/Navoket/run.txt"
printf '%s\r\n' \
    '[Email]' "smtp=$mail_host" 'account=demo@navoket.test' 'password=demo-password' \
    'receive=watcher@navoket.test' \
    '[Ship]' "Name=$vessel" 'Data=0' \
    '[Endpoints]' "schedule=127.0.0.1:$port" "lookup0=127.0.0.1:$address_port" \
    'update=127.0.0.1:1' \
    >"$drive/Torvane/Navoket/Person/config.ini"

helpers=()
stop_helpers() {
    for pid in "${helpers[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap stop_helpers EXIT
trap "exit 130" INT TERM

# Waits (bounded) until the file has a first line.
wait_for_line() {
    for _ in $(seq 100); do
        [[ -s $1 ]] && return 0
        sleep 0.1
    done
    return 1
}

# Starts a stand-in that prints its port first; $1 names it, $2 is its log.
start_stand_in() {
    local name=$1 log=$2
    shift 2
    : >"$log"
    /usr/bin/python3 "$@" >"$log" 2>&1 &
    helpers+=($!)
    if ! wait_for_line "$log" || ! [[ $(head -n 1 "$log") =~ ^[0-9]+$ ]]; then
        echo "The $name stand-in did not start:" >&2
        cat "$log" >&2
        exit 1
    fi
}
start_stand_in "schedule-site" "$build/demo-site.log" "$site" --port "$port"
start_stand_in "address-site" "$build/demo-address.log" "$address_site" --port "$address_port"

# Mails land here instead of leaving the machine (SMTP port 25 needs root);
# each one is printed decoded, here and in the log.
mail_log=$build/demo-mail.log
: >"$mail_log"
/usr/bin/python3 "$catcher" --host "$mail_host" --port 25 > >(tee "$mail_log") 2>&1 &
helpers+=($!)

cat <<EOF

Navoket demo
  settings:   $drive/Torvane/Navoket/Person/config.ini
  vessel:     $vessel (schedule site stand-in on 127.0.0.1:$port)
  mails:      caught on $mail_host:25, printed here and to $mail_log

Try it: click "刷新缓存" to store the baseline, then "确认" (same result).
Change the vessel's schedule (rows "port,ETA,ETD" separated by ";"):

  /usr/bin/python3 $site --port $port set "$vessel" "NINGBO,12-18 06:00,12-20 09:00;SINGAPORE,12-26 20:00,12-27 18:00"

then click "确认" again: the change is reported. "自动巡查" watches on a timer:
type a short period such as 3000 (ms), click "开始自动巡查", change the schedule
again, and the notice mail is printed here once the patrol finds the change.
EOF

program=("$build/app/navoket" --drive-root "$drive")
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo
    echo "No display found (\$DISPLAY is empty): running under xvfb-run, on a virtual"
    echo "screen that you cannot see. Run this script in a desktop session to use the windows."
    xvfb-run -a "${program[@]}"
else
    "${program[@]}"
fi
