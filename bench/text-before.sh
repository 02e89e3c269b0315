#!/bin/sh
# hyphenateText's rate on English prose before running text was made fast (commit 4be0c5e)
# and now, on this machine, back to back: builds that commit's library in a temporary
# worktree of this clone, links bench/text_rate.cpp against it, and runs it and this tree's
# quellix-bench-text-rate three times each, interleaved, on the prose quellix-bench-compare
# measures. Needs the clone's history, and what the release build needs.
#
#   bench/text-before.sh [BUILD_DIR]     (default: build/release, configured)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
before=4be0c5e
work=$(mktemp -d)
cleanup() {
  git -C "$root" worktree remove --force "$work/source" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

cmake --build "$build" --target quellix-bench-compare quellix-bench-text-rate >/dev/null
"$build/bench/quellix-bench-compare" --write-prose "$work/prose.txt"
git -C "$root" worktree add --detach "$work/source" "$before" >/dev/null 2>&1
echo "building $before (a few minutes) ..."
cmake -S "$work/source" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_SHARED_LIBS=OFF -DQUELLIX_BUILD_TESTS=OFF -DQUELLIX_BUILD_BENCH=OFF \
  -DQUELLIX_BUILD_TOOLS=OFF -DQUELLIX_BUILD_EXAMPLES=OFF -DQUELLIX_BUILD_PYTHON=OFF \
  -DQUELLIX_BUILD_JS=OFF -DQUELLIX_INSTALL=OFF >"$work/configure.log"
cmake --build "$work/build" --target quellix >"$work/build.log"
c++ -std=c++20 -O3 -DNDEBUG -I"$work/source/include" -I"$work/build/include" \
  "$root/bench/text_rate.cpp" "$work/build/src/libquellix.a" -lz -pthread \
  -o "$work/text-rate-before"

echo "hyphenateText on $(wc -c <"$work/prose.txt") bytes of prose, MB per CPU second:"
for round in 1 2 3; do
  printf 'before (%s): %s\n' "$before" "$("$work/text-rate-before" "$work/prose.txt")"
  printf 'now:               %s\n' "$("$build/bench/quellix-bench-text-rate" "$work/prose.txt")"
done | tee "$work/rates.txt"
# The median of each side's three medians, and their ratio.
median() { sort -n | sed -n 2p; }
old=$(awk '/^before/ { print $3 }' "$work/rates.txt" | median)
new=$(awk '/^now/ { print $2 }' "$work/rates.txt" | median)
awk -v old="$old" -v new="$new" \
  'BEGIN { printf "median: before %.1f MB/s, now %.1f MB/s: %.2fx\n", old, new, new / old }'
