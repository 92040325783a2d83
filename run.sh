#!/usr/bin/env bash
# Builds and starts Korvandelix bootloader.
#   ./run.sh         the program, on the serial ports of this machine
#   ./run.sh demo    the program against the device simulator on a pseudo-terminal
set -euo pipefail
cd "$(dirname "$0")"
tools/install_dependencies.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" >/dev/null
build=build/default

if [ "${1:-}" = demo ]; then
    exec tools/demo.sh "$build"
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "No display here: the window cannot open. Run it on a desktop, or try './run.sh demo'," >&2
    echo "which runs the whole update off screen against the device simulator." >&2
    exit 1
fi
exec "$build/app/korvandelix-bootloader" "$@"
