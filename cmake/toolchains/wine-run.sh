#!/bin/sh
# wine-run.sh PROGRAM.exe ARG...: runs a program of the MinGW-w64 cross build under Wine,
# with the MinGW runtime DLLs (libstdc++, libgcc, winpthread, zlib) on Wine's search path
# and Wine's own diagnostics off. The Wine prefix is WINEPREFIX if set, else Wine's default
# (~/.wine). A missing prefix is made first (about 15 s), once, under a lock, since the
# build and ctest start several programs at a time; no display is needed, and Wine's offer
# to download Mono and Gecko (mscoree, mshtml: nothing here uses them) is turned off, so it
# runs unattended (as root in CI too, where the prefix belongs to root). Unix paths work as
# arguments: Wine's current drive is the Unix root, so "/work/x" is "Z:\work\x".
set -eu
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
if [ ! -x "$wine" ]; then
  echo "wine-run.sh: Wine not found (Debian package wine64)" >&2
  exit 127
fi
triple=x86_64-w64-mingw32
runtime=$(dirname "$("$triple-g++-posix" -print-file-name=libstdc++-6.dll)")
export WINEPATH="$runtime;/usr/$triple/lib${WINEPATH:+;$WINEPATH}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
prefix=${WINEPREFIX:-$HOME/.wine}
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      DISPLAY= "$wine" wineboot --init >/dev/null 2>&1 || true
      "$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true
    fi
  ) 9>"$prefix.lock"
  if [ ! -f "$prefix/system.reg" ]; then
    echo "wine-run.sh: could not make the Wine prefix $prefix" >&2
    exit 1
  fi
fi
exec "$wine" "$@"
