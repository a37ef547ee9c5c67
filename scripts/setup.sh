#!/usr/bin/env bash
# Installs whatever the build and the tests need that is missing, then
# configures and builds. Quick when everything is already there.
# Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build"}
shift || true
. "$root/scripts/phase.sh"
phase "packages"

packages=(
  cmake ninja-build g++ pkg-config git ccache mold curl zsh
  libfmt-dev nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core libfontconfig-dev
  qt6-webengine-dev qt6-webchannel-dev
  libjavascriptcoregtk-4.1-dev
  libcurl4-openssl-dev libssl-dev openssl libsqlite3-dev zlib1g-dev libbrotli-dev libboost-dev
  python3-httpbin gunicorn nghttp2-server libnghttp2-dev libcpprest-dev libutf8proc-dev
  clang-19 libclang-rt-19-dev
  xvfb xauth x11-utils xdotool imagemagick libxcb1-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
# Node.js may come from elsewhere than Debian, with npm inside it; Debian's
# own npm package would then conflict with it.
if ! command -v npm >/dev/null; then missing+=(nodejs npm); fi
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

phase "web assets"
# Web assets come from npm, pinned by each folder's lockfile.
for assets in "$root/Highlighter/Resources" "$root/MonacoHost/Resources"; do
  if [ ! -d "$assets/node_modules" ]; then
    (cd "$assets" && npm ci --no-audit --no-fund)
  fi
done

phase "configure $(basename "$build")"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
# Sanitizer builds of the larger sources take about a gigabyte each, so the
# job count follows the memory as well as the cores.
memory_gb=$(awk '/MemAvailable/ {print int($2 / 1048576)}' /proc/meminfo)
jobs=$(nproc)
if ((memory_gb / 2 < jobs)); then jobs=$((memory_gb / 2 > 0 ? memory_gb / 2 : 1)); fi
phase "build $(basename "$build")"
cmake --build "$build" -j "$jobs"
phase
