#!/usr/bin/env bash
# The layers the build is meant to keep, checked on what it built:
#   - the headless libraries use nothing of the framework's window library;
#   - those but the foundation call nothing of the window system either
#     (user32, gdi32, comctl32, comdlg32, shell32: mingw links them into every
#     program by default, so a link alone would not tell). The foundation's
#     wide run-time routines wrap a few user32 calls of their own;
#   - no window (src/windows) includes or links the main window (src/app).
# Usage: check_layers.sh <nm> <import library folder> <source folder>
#          <framework window library.a> <foundation.a> <library.a>...
set -euo pipefail
nm=$1 implibs=$2 src=$3 framework_window=$4 foundation=$5
shift 5

window_symbols=$(mktemp)
for lib in user32 gdi32 comctl32 comdlg32 shell32; do
  "$nm" "$implibs/lib$lib.a" 2>/dev/null | awk -v lib=$lib '$2 == "I" && $3 ~ /^__imp_/ {print $3, lib}'
done | sort -u -k1,1 >"$window_symbols"

framework_symbols=$(mktemp)
trap 'rm -f "$window_symbols" "$framework_symbols"' EXIT
"$nm" --defined-only "$framework_window" | awk '$2 ~ /^[TDBR]$/ {print $3, "framework"}' |
  sort -u -k1,1 >"$framework_symbols"

status=0
for archive in "$foundation" "$@"; do
  found=$("$nm" -u "$archive" | awk '{print $NF}' | sort -u | join - "$framework_symbols" || true)
  if [ -n "$found" ]; then
    echo "$(basename "$archive") uses the framework's window library:"
    echo "$found" | sed 's/^/  /'
    status=1
  fi
done
for archive in "$@"; do
  found=$("$nm" -u "$archive" | awk '{print $NF}' | grep '^__imp_' | sort -u |
          join - "$window_symbols" || true)
  if [ -n "$found" ]; then
    echo "$(basename "$archive") calls the window system:"
    echo "$found" | sed 's/^__imp_/  /'
    status=1
  fi
done

if grep -rnE '#\s*include\s+"app/' "$src/windows"; then
  echo "a window includes the main window's headers (above): it must go through its host interface"
  status=1
fi
if grep -rnw 'tavrin_app' "$src/windows" --include=CMakeLists.txt; then
  echo "a window links the main window's library (above)"
  status=1
fi
[ $status = 0 ] && echo "layers kept"
exit $status
