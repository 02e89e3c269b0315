#!/bin/sh
# Installs the Debian word lists quellix-bench-compare reads, when some are missing and this
# runs as root (as CI does); otherwise says what to install. Never fails the benchmark: a
# language whose list is absent is reported and skipped by the program.
packages="wamerican wngerman wfrench witalian wnorwegian wdutch wpolish wportuguese hunspell-hu hunspell-ru"
missing=""
for package in $packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
  echo "installing word lists:$missing"
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null ||
    { apt-get update -qq >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null; } ||
    echo "could not install:$missing (their languages are skipped)"
else
  echo "missing word lists:$missing (apt-get install -y$missing; their languages are skipped)"
fi
exit 0
