#!/usr/bin/env bash
# The demo: the program against the device simulator on a pseudo-terminal, no hardware needed.
# With a display the program opens its window and you drive it; without one a scripted user
# drives it off screen. Either way the simulator's report is printed at the end.
#   tools/demo.sh BUILD_DIR
set -euo pipefail
build=${1:-build/default}
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'kill "$simulator" 2>/dev/null || true; rm -rf "$work"' EXIT
mkfifo "$work/port"
"$build/tools/devsim/korv-devsim" --expect resources/firmware.bin --report "$work/report.json" >"$work/port" &
simulator=$!
read -r port <"$work/port"
echo "Device simulator on $port (it stands in for the device and its boot loader)."

export KORVANDELIX_EXTRA_PORTS="$port${KORVANDELIX_EXTRA_PORTS:+:$KORVANDELIX_EXTRA_PORTS}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Pick $port in the port list, press \"Записать\", wait for the end screen and press OK."
    "$build/app/korvandelix-bootloader" || true
else
    "$build/tools/scripted_user/korv-headless-demo" "$port" "$PWD/demo-end-screen.png" || true
fi

kill -TERM "$simulator"
status=0
wait "$simulator" || status=$?
echo "Simulator report:"
cat "$work/report.json"
if [ "$status" -eq 0 ]; then
    echo "The whole image arrived byte for byte and PUSK came."
else
    echo "The update did not complete (see the report)."
fi
