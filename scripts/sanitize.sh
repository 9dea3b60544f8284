#!/usr/bin/env bash
# Builds the pure-logic libraries, the content checker and their unit tests
# with clang under AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (the asan preset; the fuzzers of scripts/fuzz.sh are built there
# too), and runs the unit tests there. Any sanitizer report fails.
#   SANITIZE_WINDOWS=1  also the windows and their tests (label window): they
#                       run clean, but the build takes about seven minutes on
#                       two cores. The browser-engine tests stay out either
#                       way: the engine itself reports leaks at exit.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=asan
[ "${SANITIZE_WINDOWS:-0}" = 1 ] && preset=asan-windows
build=$PWD/build-asan # both presets build there
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"

# Reports go to files as well as to the test's output, so that a report from
# a test that still exits 0 cannot slip through.
reports=$build/sanitizer-reports
rm -rf "$reports" && mkdir -p "$reports"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"

status=0
ctest --preset "$preset" -j"$(nproc)" || status=$?
if compgen -G "$reports/*" >/dev/null; then
  echo "Sanitizer reports:" >&2
  cat "$reports"/* >&2
  exit 1
fi
exit "$status"
