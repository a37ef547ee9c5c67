#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite.
# WENDALORE_SANITIZE=1 builds and runs it under AddressSanitizer and
# UndefinedBehaviorSanitizer in a build directory of its own.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [ "${WENDALORE_SANITIZE:-0}" = 1 ]; then
  build="$root/build-asan"
  "$root/scripts/setup.sh" "$build" -DWENDALORE_SANITIZE=ON -DWENDALORE_BUILD_BENCHMARKS=OFF
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
else
  build="$root/build"
  "$root/scripts/setup.sh" "$build"
fi

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cd "$build"
exec ctest --output-on-failure --timeout 600 -j "$(nproc)"
