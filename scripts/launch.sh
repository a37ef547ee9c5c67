#!/usr/bin/env bash
# Sets up, builds and starts Wendalore.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" "$root/build"
exec "$root/build/Wendalore/wendalore" "$@"
