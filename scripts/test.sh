#!/usr/bin/env bash
# Sets up, builds and runs every test headless: the program also built as
# Debug, Release and MinSizeRel (warnings are errors in every build), the logic under
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers for a bounded
# time, then the whole suite (unit, window, browser engine, end to end under
# Xvfb, package).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
"$top/scripts/build-types.sh"
"$top/scripts/sanitize.sh"
# The fuzzers on a budget (40 s on two cores); scripts/fuzz.sh alone runs longer.
FUZZ_SECONDS=20 FUZZ_PARSER_SECONDS=10 "$top/scripts/fuzz.sh"
# The browser-engine and end-to-end tests spend most of their time waiting
# (timers, the window manager, the engine's helpers), so twice as many run at
# once as there are cores.
cd "$top" && ctest --preset dev -j"$(($(nproc) * 2))" "$@"
