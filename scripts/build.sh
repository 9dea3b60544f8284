#!/usr/bin/env bash
# Configures (once) and builds the station into build/ with warnings as errors
# (the dev preset in CMakePresets.json). Arguments go to the first configure.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/build.ninja ] || cmake --preset dev "$@"
cmake --build --preset dev -j"$(nproc)"
