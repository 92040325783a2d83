#!/usr/bin/env bash
# Builds and runs every test: the normal build, then under AddressSanitizer with
# UndefinedBehaviorSanitizer, then under ThreadSanitizer. Name presets to run only those:
#   ./test.sh default      ./test.sh asan tsan
set -euo pipefail
cd "$(dirname "$0")"
tools/install_dependencies.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan tsan)
jobs=$(nproc)
for preset in "${presets[@]}"; do
    echo "=== tests: $preset ==="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs" --timeout 300
done
