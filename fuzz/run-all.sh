#!/usr/bin/env bash
# Runs every fuzz target for SECONDS, one after the other, at the lowest priority:
#
#   fuzz/run-all.sh SECONDS [BUILD_DIR]
#
# BUILD_DIR is a build configured with -DQUELLIX_FUZZ=ON (default: build/fuzz beside this
# script's directory). Each target starts from a fresh copy of its seed corpus under
# BUILD_DIR/fuzz/runs/<target>/, keeps what it finds there, and writes any crashing input
# to BUILD_DIR/fuzz/runs/<target>/artifacts/. Prints the executions per target and fails
# when a target finds anything.
set -uo pipefail
seconds=${1:?usage: run-all.sh SECONDS [BUILD_DIR]}
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${2:-$here/../build/fuzz}" && pwd)
targets=(fuzz_patterns fuzz_exceptions fuzz_char_classes fuzz_hyphenate fuzz_data_file fuzz_builtin
         fuzz_text fuzz_dictionary)
status=0
summary=()
for target in "${targets[@]}"; do
  binary="$build/fuzz/$target"
  seeds="$build/fuzz/seeds/$target"
  run="$build/fuzz/runs/$target"
  if [[ ! -x "$binary" || ! -d "$seeds" ]]; then
    echo "run-all.sh: $binary or $seeds is missing: build the fuzz targets first" >&2
    exit 2
  fi
  rm -rf "$run"
  mkdir -p "$run/corpus" "$run/artifacts"
  cp "$seeds"/* "$run/corpus/"
  max_len=4096
  [[ $target == fuzz_data_file ]] && max_len=16384
  echo "=== $target: $seconds s"
  nice -n 19 "$binary" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$run/artifacts/" \
    "$run/corpus" >"$run/log" 2>&1
  rc=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/log" | tail -1)
  findings=$(find "$run/artifacts" -type f | wc -l)
  summary+=("$target: ${executions:-?} executions, $findings findings, exit $rc")
  if ((rc != 0 || findings != 0)); then
    status=1
    tail -40 "$run/log"
  fi
done
printf '%s\n' "${summary[@]}"
exit $status
