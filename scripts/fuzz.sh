#!/usr/bin/env bash
# Builds every fuzz target (fuzz/<name>_fuzzer.cpp) with clang's libFuzzer
# through CMake in build-fuzz, then runs each for a bounded time, two at a
# time, starting from its seed corpus in fuzz/corpus/<name>.
# Usage: scripts/fuzz.sh [seconds per target]   (default 40)
# Needs the Debian packages clang-19 and libclang-rt-19-dev (a clang whose
# C++23 support reads libstdc++ 12's headers), which scripts/setup.sh
# installs. Exits non-zero when the build
# fails or a fuzzer finds a crash, a leak or a broken property; the input
# that did it is kept in build-fuzz/artifacts.
set -euo pipefail

seconds="${1:-40}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: $0 [seconds per target]" >&2
  exit 2
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/build-fuzz"
. "$root/scripts/phase.sh"
phase "fuzz build"
compiler=clang++-19

if [ ! -f "$out/build.ninja" ]; then
  cmake -S "$root" -B "$out" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=Fuzz \
    -DCMAKE_CXX_FLAGS_FUZZ="-O1 -gline-tables-only" -DWENDALORE_FUZZ=ON
fi
jobs=$(nproc)
((jobs > 4)) && jobs=4
cmake --build "$out" -j "$jobs" --target fuzzers

targets=()
for harness in "$root"/fuzz/*_fuzzer.cpp; do
  name="$(basename "$harness" _fuzzer.cpp)"
  targets+=("$name")
done

phase "fuzz runs"
mkdir -p "$out/artifacts" "$out/logs"
# One target: new inputs go to a working corpus in the build folder, so the
# seeds in the tree stay as they are.
run_one() {
  local name="$1"
  mkdir -p "$out/corpus/$name"
  (cd "$out" &&
    ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" \
    UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
    LSAN_OPTIONS="suppressions=$root/fuzz/leak-suppressions.txt" \
      "fuzz/${name}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$out/artifacts/${name}-" -print_final_stats=1 \
      "corpus/$name" "$root/fuzz/corpus/$name") >"$out/logs/$name.log" 2>&1
}
export -f run_one
export out root seconds

failed=()
for name in "${targets[@]}"; do echo "$name"; done |
  xargs -P 2 -I{} bash -c 'run_one {} || echo "{}" >>"$out/logs/failed"' || true

phase
for name in "${targets[@]}"; do
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/logs/$name.log" | tail -1)
  printf '%-22s %12s executions\n' "$name" "${executions:-?}"
done
if [ -f "$out/logs/failed" ]; then
  mapfile -t failed <"$out/logs/failed"
  rm -f "$out/logs/failed"
  for name in "${failed[@]}"; do
    echo "---- $name found a fault:" >&2
    tail -n 60 "$out/logs/$name.log" >&2
  done
  exit 1
fi
echo "fuzz: ${#targets[@]} targets ran ${seconds}s each without a fault"
