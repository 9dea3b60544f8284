#!/usr/bin/env bash
# Builds the pure-logic libraries, the content checker and their unit tests
# with clang under AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/, and runs the unit tests there. Any sanitizer report fails.
#   SANITIZE_WINDOWS=1  also the windows and their tests (label window): they
#                       run clean, but the build takes about seven minutes on
#                       two cores. The browser-engine tests stay out either
#                       way: the engine itself reports leaks at exit.
#   ASAN_BUILD_DIR      build folder (default build-asan/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ASAN_BUILD_DIR:-$top/build-asan}
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
if [ "${SANITIZE_WINDOWS:-0}" = 1 ]; then
  qt=ON labels='^(unit|window)$'
else
  qt=OFF labels='^unit$'
fi

cmake -S "$top" -B "$build" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DCMAKE_CXX_FLAGS="$sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitize" \
  -DSTATION_QT=$qt -DBUILD_TESTING=ON -DSTATION_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

# Reports go to files as well as to the test's output, so that a report from
# a test that still exits 0 cannot slip through.
reports=$build/sanitizer-reports
rm -rf "$reports" && mkdir -p "$reports"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1

status=0
ctest --test-dir "$build" -L "$labels" --output-on-failure -j"$(nproc)" || status=$?
if compgen -G "$reports/*" >/dev/null; then
  echo "Sanitizer reports:" >&2
  cat "$reports"/* >&2
  exit 1
fi
exit "$status"
