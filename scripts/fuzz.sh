#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-asan/ (the fuzz preset: the
# sanitizer build, whose libraries carry the fuzzer's instrumentation, so that
# after scripts/sanitize.sh only the fuzzers' own files are left to compile)
# and runs each for a bounded time from the seed corpora in fuzz/corpus/. A
# crash, a broken invariant, a hang, a leak or running out of memory fails the
# run. scripts/test.sh runs them on a short budget; run this alone to search
# longer (the corpus found grows in build-asan/corpus/ from run to run).
#   FUZZ_SECONDS  time per target of the station's logic (default 120)
#   FUZZ_PARSER_SECONDS  time per parser of the operators' files (default 40)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build-asan
seconds=${FUZZ_SECONDS:-120}
# The parsers are small and reach their depth quickly.
parser_seconds=${FUZZ_PARSER_SECONDS:-40}

(cd "$top" && cmake --preset fuzz >/dev/null)
targets="answer_key:$seconds preparation:$seconds aiken:$parser_seconds gift:$parser_seconds csv:$parser_seconds"
targets="$targets page_check:$parser_seconds"
(cd "$top" && cmake --build --preset fuzz -j"$(nproc)")

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# run_target NAME SECONDS: one fuzzer; on a failure its log's end and where
# the input was kept go to standard error.
run_target() {
  local target=$1 seconds=$2
  # New inputs go to the build folder; the seeds in the tree stay as they are.
  local corpus=$build/corpus/$target artifacts=$build/artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  "$build/fuzz/fuzz_$target" \
    -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" "$top/fuzz/corpus/$target" 2>"$build/fuzz_$target.log" || {
    tail -n 60 "$build/fuzz_$target.log" >&2
    echo "fuzz_$target failed; the input is in $artifacts/" >&2
    return 1
  }
  echo "== fuzz_$target: $seconds s, $(grep -E '^stat::number_of_executed_units' "$build/fuzz_$target.log" || echo 'no stats')"
}

# Each fuzzer uses one core: as many run at once as there are cores.
status=0 running=0
for entry in $targets; do
  if ((running >= $(nproc))); then
    wait -n || status=1
    running=$((running - 1))
  fi
  run_target "${entry%%:*}" "${entry#*:}" &
  running=$((running + 1))
done
while ((running > 0)); do
  wait -n || status=1
  running=$((running - 1))
done
exit $status
