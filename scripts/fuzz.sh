#!/usr/bin/env bash
# Builds the URL fuzz target with clang's libFuzzer and runs it for a bounded
# time. Usage: scripts/fuzz.sh [seconds]   (default 60)
# Needs the Debian packages clang and libclang-rt-14-dev. Exits non-zero when
# the build fails or the fuzzer finds a crash.
set -euo pipefail

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: $0 [seconds]" >&2
  exit 2
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/build-fuzz"
mkdir -p "$out/corpus" "$out/artifacts"

# Only what the URL parser and the query codec are made of.
sources=(
  fuzz/url_fuzzer.cpp
  Platform/Fatal.cpp
  Platform/Foundation/CharacterSet.cpp
  Platform/Foundation/PercentEncoding.cpp
  Platform/Foundation/UnicodeScalars.cpp
  Platform/Foundation/UTF8.cpp
  Platform/Foundation/URL.cpp
  Platform/Foundation/URLComponents.cpp
  Platform/Foundation/URLParts.cpp
)

cd "$root"
clang++ -std=c++2b -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -Wall -Wextra -Wpedantic -I "$root" \
  "${sources[@]}" -o "$out/url_fuzzer"

# A few seeds so the run starts from real URLs and queries.
seed() { printf '%b' "$2" >"$out/corpus/$1"; }
seed url-http '\x00http://user:pw@example.com:8080/a%20b/c.txt?x=1&y=&z#frag'
seed url-ipv6 '\x00https://[::1]:443/?'
seed url-file '\x00file:///tmp/dir/name.tar.gz'
seed url-relative '\x00../a/b?c=d'
seed items '\x01a b\tx&y\nflag\t\nbare\n\xc3\xa9\t+%'

cd "$out"
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
  ./url_fuzzer -max_total_time="$seconds" -timeout=10 -artifact_prefix="$out/artifacts/" \
  -print_final_stats=1 corpus
