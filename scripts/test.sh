#!/usr/bin/env bash
# Sets up, builds and runs every test headless.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
ctest --test-dir "$top/build" --output-on-failure -j2 "$@"
# The logic once more under AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzzers.
"$top/scripts/sanitize.sh"
"$top/scripts/fuzz.sh"
