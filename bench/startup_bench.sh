#!/usr/bin/env bash
# Times tavrin.exe's start-up under Wine: from creating the process to its main
# window painted with the message loop idle, with an empty and with a
# 10,000-entry last playlist, and its working set when idle after the start,
# beside a minimal Win32 program under the same Wine (goals: < 0.5 s empty,
# < 1 s with 10,000 entries, < 40 MiB).
# Usage: bench/startup_bench.sh [build folder] [runs]   (default: build 10)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
runs=${2:-10}
bench=$build/bench/startup_bench.exe
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
# The windows need a display; Xvfb stands in when there is none.
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a -s "-screen 0 1280x1024x24")
# A warm wineserver, and Wine's background services and desktop process
# started first with their output on /dev/null, so that no figure pays for
# them and none of them holds the pipe this script reads.
/usr/lib/wine/wineserver -p 60 2>/dev/null || true
"${display[@]}" bash -c '
  "$0/wine-run" cmd /c exit >/dev/null 2>&1 </dev/null || true
  "$0/wine-run" rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null || true
  exec "$0/wine-run" "$1" "$2" 2>/dev/null
' "$build" "$bench" "$runs"
