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
"$top/scripts/fuzz.sh"
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
ctest --test-dir "$top/build" --output-on-failure -j2 "$@"
