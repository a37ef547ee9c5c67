#!/usr/bin/env bash
# Runs a command on a virtual X server of its own. The server picks a free
# display number itself and reports it, so suites started at the same moment
# never race for one display (as they do when each guesses a free number).
# The server keeps running between clients: by default it resets when the
# last one leaves, and refuses whoever connects meanwhile.
# Usage: with-virtual-display.sh COMMAND [ARGS...]
set -uo pipefail

number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$number_file" 2>/dev/null &
server=$!
stop_server() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -f "$number_file"
}
trap stop_server EXIT

for _ in $(seq 1 300); do
  [ -s "$number_file" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    echo "with-virtual-display: the X server did not start" >&2
    exit 1
  fi
  sleep 0.1
done
if [ ! -s "$number_file" ]; then
  echo "with-virtual-display: the X server gave no display number in 30 s" >&2
  exit 1
fi
export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
"$@"
