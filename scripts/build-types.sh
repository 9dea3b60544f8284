#!/usr/bin/env bash
# Builds the program, the operators' tools and the package's icon in the
# standard build types other than the main build's (RelWithDebInfo, see
# build.sh), with warnings as errors: an optimised or debug build must never
# meet a warning that the main build does not. Tests and benchmarks are left
# out; they run once, on the main build. The configurations are the presets
# of the same names (build-types/<type>/). The types build side by side, so
# that one's configure step and last links leave no core idle; prints the
# time each took.
#   BUILD_TYPES  the build types (default "Debug Release MinSizeRel")
set -euo pipefail
cd "$(dirname "$0")/.."
build_type() {
  local type=$1 started=$SECONDS
  mkdir -p "build-types/$type"
  { cmake --preset "$type" && cmake --build --preset "$type" -j"$(nproc)"; } >"build-types/$type/build.log" 2>&1 || {
    tail -n 60 "build-types/$type/build.log" >&2
    echo "the $type build failed; the whole log is build-types/$type/build.log" >&2
    return 1
  }
  echo "== $type build: $((SECONDS - started)) s"
}
status=0
pids=()
for type in ${BUILD_TYPES:-Debug Release MinSizeRel}; do
  build_type "$type" &
  pids+=($!)
done
for pid in "${pids[@]}"; do
  wait "$pid" || status=1
done
exit $status
