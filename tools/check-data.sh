#!/usr/bin/env bash
# Checks the language data set against its committed manifest: prints, for every
# hyph-*.txt.gz file, its size, its size and line count once decompressed and the
# SHA-256 digest of the compressed file, then compares them with data/MANIFEST.
#
#   tools/check-data.sh [DATA_DIR]            check (DATA_DIR defaults to data/)
#   tools/check-data.sh --update [DATA_DIR]   rewrite data/MANIFEST from DATA_DIR
#
# Exit status: 0 when every file matches, 1 on a difference, a damaged gzip member or a
# missing or unexpected file. Needs only bash, coreutils and gzip.
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
manifest="$root/data/MANIFEST"
update=no
if [[ "${1:-}" == "--update" ]]; then
  update=yes
  shift
fi
data_dir=${1:-"$root/data"}
if [[ ! -d "$data_dir" ]]; then
  echo "check-data: $data_dir is not a directory" >&2
  exit 1
fi

shopt -s nullglob
paths=("$data_dir"/hyph-*.txt.gz)
declare -A digests sizes
while read -r digest path; do
  digests[${path##*/}]=$digest
done < <(((${#paths[@]})) && sha256sum "${paths[@]}")
while read -r size path; do
  sizes[${path##*/}]=$size
done < <(((${#paths[@]})) && stat -c '%s %n' "${paths[@]}")

status=0
actual="# name compressed-bytes decompressed-bytes lines sha256-of-compressed"
for path in "${paths[@]}"; do
  name=${path##*/}
  # One decompression gives both counts; a damaged member fails the pipeline.
  if ! counts=$(gzip -dc "$path" | wc -lc); then
    echo "check-data: $name is not an intact gzip file" >&2
    status=1
    continue
  fi
  read -r lines plain <<<"$counts"
  actual+=$'\n'"$name ${sizes[$name]} $plain $lines ${digests[$name]}"
done

if [[ $update == yes ]]; then
  printf '%s\n' "$actual" >"$manifest"
  echo "check-data: wrote $manifest (${#paths[@]} files)"
  exit $status
fi

printf '%s\n' "$actual" | { column -t 2>/dev/null || cat; }
if ! differences=$(diff "$manifest" <(printf '%s\n' "$actual")); then
  echo >&2
  echo "check-data: $data_dir differs from $manifest ('<' manifest, '>' found):" >&2
  grep '^[<>]' <<<"$differences" >&2 || true
  status=1
fi
if ((status == 0)); then
  echo "check-data: all ${#paths[@]} files match $manifest"
fi
exit $status
