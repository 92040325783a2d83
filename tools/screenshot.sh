#!/usr/bin/env bash
# Starts the program under Xvfb and saves a screenshot of the screen to the given file
# (default: screenshot.png). For looking at the window; not a test.
#   tools/screenshot.sh [OUTPUT.png] [arguments for the program]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-screenshot.png}")
shift || true
tools/install_dependencies.sh
if ! command -v import >/dev/null; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends imagemagick >/dev/null
fi
cmake --preset default >/dev/null
cmake --build --preset default --target korvandelix-bootloader >/dev/null
display=:97
Xvfb "$display" -screen 0 820x420x24 -nolisten tcp &
xvfb=$!
trap 'kill "$program" "$xvfb" 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display build/default/app/korvandelix-bootloader "$@" &
program=$!
sleep "${KORV_SCREENSHOT_DELAY:-2}"
DISPLAY=$display import -window root "$out"
echo "saved $out"
