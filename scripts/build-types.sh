#!/usr/bin/env bash
# Configures and builds the program, the operators' tools and the package's
# icon in the standard build types other than the main build's
# (RelWithDebInfo, see build.sh), with warnings as errors: an optimised or
# debug build must never meet a warning that the main build does not. Tests
# and benchmarks are left out; they run once, on the main build. Prints the
# time each build type took.
#   TYPES_BUILD_DIR  parent folder of the build folders (default build-types/)
#   BUILD_TYPES      the build types (default "Debug Release MinSizeRel")
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
parent=${TYPES_BUILD_DIR:-$top/build-types}
for type in ${BUILD_TYPES:-Debug Release MinSizeRel}; do
  started=$SECONDS
  cmake -S "$top" -B "$parent/$type" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
    -DSTATION_WERROR=ON -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$parent/$type" -j"$(nproc)" --target app/all tools/all packaging/all \
    >"$parent/$type/build.log" 2>&1 || {
    tail -n 60 "$parent/$type/build.log" >&2
    echo "the $type build failed; the whole log is $parent/$type/build.log" >&2
    exit 1
  }
  echo "== $type build: $((SECONDS - started)) s"
done
