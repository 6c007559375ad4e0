#!/usr/bin/env bash
# The CPU the visualisation costs, beside the least a 50 fps visualiser does:
# tavrin.exe playing a song with the spectrum, with the oscilloscope, with no
# visualisation and minimised (with the spectrum chosen), and vis_floor.exe (a
# 20 ms timer and one 104 x 32 block transfer a tick through a kept DC). All
# five run at once, each on an Xvfb display and a Wine server of its own
# (build/wine-run-apart), so each server's and display's work is its own
# program's. Every round measures all five over the same seconds: the
# program's process + its Wine server + its X server, user + system time from
# /proc/<pid>/stat, in percent of one core. Prints each case's min/median/max
# over the rounds, by part and in total, and the ratios of the medians (goals:
# spectrum and oscilloscope at most 2 x the floor; minimised at most 1.2 x
# playing without a visualisation).
# Usage: bench/vis_cpu_bench.sh [--rounds N] [--seconds S] [build folder]
#   (default 5 rounds of 30 s; fewer or shorter ones to try it out)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rounds=5
seconds=30
build=$repo/build
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d'; exit 0 ;;
    *) build=$1; shift ;;
  esac
done
build=$(cd "$build" && pwd)
driver=$build/bench/vis_cpu_case.exe
for file in "$driver" "$build/bench/vis_floor.exe" "$build/bin/tavrin.exe" "$build/wine-run-apart"; do
  [ -e "$file" ] || { echo "build $file first" >&2; exit 1; }
done
[ "$rounds" -ge 1 ] && [ "$seconds" -ge 1 ] || { echo "rounds and seconds must be at least 1" >&2; exit 1; }

cases=(floor spectrum scope none minimised)
declare -A label=([floor]="floor (vis_floor.exe)" [spectrum]="spectrum" [scope]="oscilloscope"
                  [none]="no visualisation" [minimised]="minimised (spectrum)")
work=$(mktemp -d /tmp/vis-cpu-bench.XXXXXX)
declare -A apart=()
finish() {
  local c
  for c in "${!apart[@]}"; do touch "$work/$c/stop"; done
  # Each case ends its program and its wine-run-apart removes its prefix copy;
  # one that does not within a minute is ended (its own cleanup still runs).
  for _ in $(seq 60); do
    local left=0
    for c in "${!apart[@]}"; do kill -0 "${apart[$c]}" 2>/dev/null && left=1; done
    [ $left = 0 ] && break
    sleep 1
  done
  for c in "${!apart[@]}"; do
    if kill -0 "${apart[$c]}" 2>/dev/null; then kill "${apart[$c]}" 2>/dev/null || true; fi
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
trap 'exit 143' TERM INT
win() { echo "Z:${1//\//\\}"; }

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Long enough for every round and the start: two gliding tones over noise,
# so every part of the spectrum moves.
length=$((rounds * seconds + 120))
sox -q -n -r 44100 -c 2 -b 16 "$work/song.wav" synth "$length" sine 220-880 sine 330-1320 \
  synth "$length" whitenoise mix gain -9

for c in "${cases[@]}"; do
  mkdir -p "$work/$c"
  "$build/wine-run-apart" "vis-cpu-$c-$$" "$driver" "$c" "$(win "$work/song.wav")" "$(win "$work/$c")" \
    </dev/null >"$work/$c.log" 2>&1 &
  apart[$c]=$!
done

# Every case in its state.
for _ in $(seq 240); do
  ready=0
  for c in "${cases[@]}"; do
    if [ -e "$work/$c/failed" ] || ! kill -0 "${apart[$c]}" 2>/dev/null; then
      echo "case $c failed:" >&2
      cat "$work/$c/failed" "$work/$c.log" >&2 2>/dev/null || true
      exit 1
    fi
    [ -e "$work/$c/ready" ] && ready=$((ready + 1))
  done
  [ $ready = ${#cases[@]} ] && break
  sleep 1
done
[ $ready = ${#cases[@]} ] || { echo "the cases did not get ready in four minutes" >&2; exit 1; }

# The processes of a case: its program, its Wine server (both known by the
# prefix copy in their environment) and its Xvfb (a child of its wine-run-apart).
has_prefix() { { tr '\0' '\n' <"/proc/$1/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$2"; }
declare -A pids=()
for c in "${cases[@]}"; do
  prefix=$build/wineprefixes/vis-cpu-$c-$$
  program=tavrin.exe
  [ "$c" = floor ] && program=vis_floor.exe
  proc='' server='' xserver=''
  for dir in /proc/[0-9]*; do
    p=${dir#/proc/}
    name=$(cat "$dir/comm" 2>/dev/null) || continue
    case $name in
      "$program") has_prefix "$p" "$prefix" && proc=$p ;;
      wineserver*) has_prefix "$p" "$prefix" && server=$p ;;
    esac
  done
  xserver=$(ps -o pid=,comm= --ppid "${apart[$c]}" | awk '$2 == "Xvfb" { print $1; exit }')
  for p in "$proc" "$server" "$xserver"; do
    [ -n "$p" ] || { echo "the processes of case $c were not all found ($proc/$server/$xserver)" >&2; exit 1; }
  done
  pids[$c]="$proc $server $xserver"
done

# User + system clock ticks of each pid given, one line.
ticks() {
  local p
  for p in "$@"; do sed 's/.*) //' "/proc/$p/stat" | awk '{printf "%d ", $12 + $13}'; done
  echo
}
hz=$(getconf CLK_TCK)
results=$work/results
: >"$results"
all=()
for c in "${cases[@]}"; do all+=(${pids[$c]}); done
for round in $(seq "$rounds"); do
  start=$(date +%s.%N)
  before=$(ticks "${all[@]}")
  sleep "$seconds"
  after=$(ticks "${all[@]}")
  end=$(date +%s.%N)
  # Three numbers a case, in the order of the cases.
  paste <(tr ' ' '\n' <<<"$before" | sed '/^$/d') <(tr ' ' '\n' <<<"$after" | sed '/^$/d') |
    awk -v hz="$hz" -v start="$start" -v end="$end" -v round="$round" -v names="${cases[*]}" '
      BEGIN { n = split(names, name, " ") }
      { part[NR] = ($2 - $1) / hz / (end - start) * 100 }
      END {
        for (i = 1; i <= n; ++i) {
          p = part[3 * i - 2]; s = part[3 * i - 1]; x = part[3 * i]
          printf "%s %d %.3f %.3f %.3f %.3f\n", name[i], round, p, s, x, p + s + x
        }
      }' >>"$results"
  printf 'round %d of %d:' "$round" "$rounds"
  awk -v round="$round" '$2 == round { printf "  %s %.2f", $1, $6 }' "$results"
  echo "   (load $(cut -d' ' -f1-3 /proc/loadavg))"
  for c in "${cases[@]}"; do
    for p in ${pids[$c]}; do
      kill -0 "$p" 2>/dev/null || { echo "case $c ended during the measurement" >&2; exit 1; }
    done
  done
done

echo
echo "CPU in percent of one core, $rounds rounds of $seconds s, min / median / max"
echo "(process + Wine server + X server; the parts are medians):"
awk -v names="${cases[*]}" -v labels="$(for c in "${cases[@]}"; do printf '%s|' "${label[$c]}"; done)" '
  function median(list, count,   sorted, i, j, t) {
    for (i = 1; i <= count; ++i) sorted[i] = list[i]
    for (i = 1; i <= count; ++i) for (j = i + 1; j <= count; ++j)
      if (sorted[j] < sorted[i]) { t = sorted[i]; sorted[i] = sorted[j]; sorted[j] = t }
    lowest = sorted[1]; highest = sorted[count]
    return count % 2 ? sorted[(count + 1) / 2] : (sorted[count / 2] + sorted[count / 2 + 1]) / 2
  }
  { k = ++count[$1]; proc[$1, k] = $3; server[$1, k] = $4; xs[$1, k] = $5; total[$1, k] = $6 }
  END {
    n = split(names, name, " "); split(labels, label, "|")
    printf "  %-22s %8s %8s %8s   %-22s %s\n", "case", "process", "server", "X", "total", "ratio"
    for (i = 1; i <= n; ++i) {
      c = name[i]; m = count[c]
      for (k = 1; k <= m; ++k) { a[k] = proc[c, k]; b[k] = server[c, k]; x[k] = xs[c, k]; t[k] = total[c, k] }
      mp = median(a, m); ms = median(b, m); mx = median(x, m)
      mt = median(t, m); lo = lowest; hi = highest
      med[c] = mt
      ratio = c == "floor" ? "" : sprintf("%.2f x floor", mt / med["floor"])
      if (c == "minimised") ratio = ratio sprintf(", %.2f x no visualisation", mt / med["none"])
      printf "  %-22s %8.2f %8.2f %8.2f   %5.2f / %5.2f / %5.2f   %s\n", label[i], mp, ms, mx, lo, mt, hi, ratio
    }
    printf "goals: spectrum and oscilloscope <= 2.00 x floor, minimised <= 1.20 x no visualisation\n"
  }' "$results"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
