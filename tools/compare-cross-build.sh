#!/usr/bin/env bash
# Checks that a cross-built quellix-hyphenate (Windows under Wine, s390x under qemu-user, ...)
# gives exactly the output of a native one: the same divisions of sample words of every
# language, the same running text and HTML, the same language list.
#
#   tools/compare-cross-build.sh NATIVE_TOOL [DATA_DIR] -- CROSS_COMMAND...
#
# CROSS_COMMAND runs the cross-built tool, e.g.
#   -- qemu-s390x -L /usr/s390x-linux-gnu build/s390x/tools/quellix-hyphenate
#   -- cmake/toolchains/wine-run.sh build/mingw/bin/quellix-hyphenate.exe
# The words of a language are made from its own data (DATA_DIR, default data/): the
# exception words with their hyphens taken out, and words put together from pairs of its
# patterns' letters, up to 400 of each; every language the native tool has built in is
# compared. Prints one line per difference and a summary; exit status 0 when all agree,
# 1 otherwise, 2 for a wrong command line.
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
if [[ $# -lt 3 ]]; then
  echo "usage: $0 NATIVE_TOOL [DATA_DIR] -- CROSS_COMMAND..." >&2
  exit 2
fi
native=$1
shift
data="$root/data"
if [[ $1 != "--" ]]; then
  data=$1
  shift
fi
if [[ $1 != "--" || $# -lt 2 ]]; then
  echo "usage: $0 NATIVE_TOOL [DATA_DIR] -- CROSS_COMMAND..." >&2
  exit 2
fi
shift
cross=("$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
differences=0
compared=0

# same NAME INPUT ARG...: runs both tools with ARG... on INPUT and compares what they print
# and how they end.
same() {
  local name=$1 input=$2
  shift 2
  local status_native=0 status_cross=0
  "$native" "$@" <"$input" >"$work/native.out" 2>/dev/null || status_native=$?
  "${cross[@]}" "$@" <"$input" >"$work/cross.out" 2>/dev/null || status_cross=$?
  compared=$((compared + 1))
  if [[ $status_native != "$status_cross" ]] || ! cmp -s "$work/native.out" "$work/cross.out"; then
    differences=$((differences + 1))
    echo "DIFFERENT: $name (exit $status_native native, $status_cross cross)"
    diff "$work/native.out" "$work/cross.out" | head -5 || true
  fi
}

# The sample words of the language with affix $1, one a line.
sample_words() {
  local affix=$1
  {
    zcat "$data/hyph-$affix.hyp.txt.gz" | tr -d '-' | awk 'NF == 1 && length($1) > 1' | head -400
    zcat "$data/hyph-$affix.pat.txt.gz" | awk '
      { for (i = 1; i <= NF; ++i) { w = $i; gsub(/[0-9.]/, "", w); if (w != "") letters[n++] = w } }
      END { step = n > 400 ? int(n / 400) : 1
            for (i = 0; i + 1 < n && printed < 400; i += step) { print letters[i] letters[i + 1]; ++printed } }'
  }
}

echo "" >"$work/empty"
same "language list" "$work/empty" --list --format tsv
languages=$("$native" --list --format tsv | awk -F '\t' '$6 == "yes" { print $3 }')
count=0
for affix in $languages; do
  sample_words "$affix" >"$work/words"
  same "words of $affix" "$work/words" --language "$affix"
  count=$((count + 1))
done

# Running text and HTML in several languages, and a file named on the command line.
{
  echo "Hyphenation divides words; Silbentrennung teilt Wörter; la césure coupe les mots."
  echo "Перенос слов разделяет слова. Συλλαβισμός των λέξεων."
} >"$work/text.txt"
same "running text" "$work/text.txt" --text --separator '|'
cat >"$work/page.html" <<'EOF'
<p lang="de">Donaudampfschifffahrtsgesellschaft &amp; Übergrößenträger</p>
<p lang="fr">anticonstitutionnellement</p><pre>unhyphenated preformatted</pre>
EOF
same "HTML" "$work/page.html" --html --separator '|'
# Files named on the command line, with names in UTF-8: the tool's own reading (--text) and
# the library's (--exceptions).
cp "$work/text.txt" "$work/wörter.txt"
printf 'hy-phen-a-tion\nal-go-rithm\n' >"$work/ausnahmen-é.txt"
same "files by name" "$work/empty" --text --separator '|' --exceptions "$work/ausnahmen-é.txt" "$work/wörter.txt"

echo "compared $compared outputs ($count languages): $differences different"
[[ $differences == 0 ]]
