#!/usr/bin/env bash
# Configures (once) and builds the station into build/, with warnings as errors.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTATION_WERROR=ON "$@"
elif ! grep -q '^STATION_WERROR:BOOL=ON$' "$build/CMakeCache.txt"; then
  # A folder configured before warnings became an option keeps failing on them.
  cmake "$build" -DSTATION_WERROR=ON >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
