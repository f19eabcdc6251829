#!/usr/bin/env bash
# `make run [ARGS=...]`: shows the saver (default switch /s). With a display, runs
# build/win/lumivex.scr under Wine in the user's own prefix; without one, runs it for a few
# seconds on a private display and prefix and saves screenshots under build/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."

saver=build/win/lumivex.scr
if [ ! -f "$saver" ]; then
  echo "run-saver: $saver is missing; build it with 'make build'" >&2
  exit 1
fi
[ $# -gt 0 ] || set -- /s

if [ -n "${DISPLAY:-}" ]; then
  export WINEDEBUG="${WINEDEBUG:--all}"
  exec wine "$saver" "$@"
fi
exec /usr/bin/python3 tests/harness/demo.py "$saver" build/demo "$@"
