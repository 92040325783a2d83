#!/usr/bin/env bash
# Installs, from the distribution's packages, whatever the build, the tests and the demo need and
# the machine does not have yet. Debian 12 or Ubuntu; as root or through sudo.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgtest-dev libgmock-dev
          fonts-liberation2 fontconfig xvfb xauth)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Run as root or install sudo to install ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
