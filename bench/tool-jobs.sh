#!/bin/bash
# quellix-hyphenate --text with --jobs N against one thread on 50 MB of English prose (the
# prose quellix-bench-compare measures, six times over): ROUNDS runs of each, alternated,
# the output of both compared byte for byte; prints each run's wall and CPU (user + system)
# seconds, then the medians and the two ratios: wall one thread / N threads (the speed-up)
# and CPU N threads / one thread (what the threads cost in all; the machine's load barely
# moves it). With --realtime (as root) the runs take precedence over other work (chrt -f),
# so that a shared machine shows what a quiet one would; a pause between runs keeps them
# within the kernel's real-time allowance.
#
#   bench/tool-jobs.sh [--realtime] [BUILD_DIR [N [ROUNDS]]]   (build/release, 2, 7)
set -eu
export LC_ALL=C
realtime=
if [ "${1:-}" = --realtime ]; then
  realtime="chrt -f 10"
  shift
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
jobs=${2:-2}
rounds=${3:-7}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --build "$build" --target quellix-bench-compare quellix-hyphenate >/dev/null
tool=$build/tools/quellix-hyphenate
"$build/bench/quellix-bench-compare" --write-prose "$work/part.txt" >/dev/null
for _ in 1 2 3 4 5 6; do cat "$work/part.txt"; done >"$work/prose.txt"
"$tool" --text <"$work/prose.txt" >"$work/one.txt"
"$tool" --text --jobs "$jobs" <"$work/prose.txt" >"$work/many.txt"
cmp "$work/one.txt" "$work/many.txt"
rm "$work/one.txt" "$work/many.txt"

echo "$(wc -c <"$work/prose.txt") bytes; $(uptime)"
round=0
while [ "$round" -lt "$rounds" ]; do
  for j in 1 "$jobs"; do
    sleep 0.3
    TIMEFORMAT="$j %R %U %S"
    { time $realtime "$tool" --text --jobs "$j" <"$work/prose.txt" >/dev/null; } 2>>"$work/runs"
  done
  round=$((round + 1))
done
awk -v jobs="$jobs" '
  { n[$1]++; wall[$1, n[$1]] = $2; cpu[$1, n[$1]] = $3 + $4
    printf "--jobs %s: %.2f s wall, %.2f s CPU\n", $1, $2, $3 + $4 }
  function median(a, j, count,   i, k, t, v) {
    for (i = 1; i <= count; i++) v[i] = a[j, i]
    for (i = 2; i <= count; i++)
      for (k = i; k > 1 && v[k - 1] > v[k]; k--) { t = v[k]; v[k] = v[k - 1]; v[k - 1] = t }
    return count % 2 ? v[(count + 1) / 2] : (v[count / 2] + v[count / 2 + 1]) / 2
  }
  END {
    w1 = median(wall, 1, n[1]); wn = median(wall, jobs, n[jobs])
    c1 = median(cpu, 1, n[1]); cn = median(cpu, jobs, n[jobs])
    printf "median: one thread %.2f s wall, %.2f s CPU; %s threads %.2f s wall, %.2f s CPU\n",
           w1, c1, jobs, wn, cn
    printf "speed-up (wall, one / %s): %.2fx (target >= 1.7x for 2)\n", jobs, w1 / wn
    printf "CPU of %s threads / one: %.2f\n", jobs, cn / c1
  }' "$work/runs"
uptime
