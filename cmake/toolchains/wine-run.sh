#!/bin/sh
# wine-run.sh PROGRAM.exe ARG...: runs a program of the MinGW-w64 cross build under Wine,
# with the MinGW runtime DLLs (libstdc++, libgcc, winpthread, zlib) on Wine's search path
# and Wine's own diagnostics off. The Wine prefix is WINEPREFIX if set, else Wine's default;
# the first run creates it (about 15 s). Unix paths work as arguments: Wine's current drive
# is the Unix root, so "/work/x" is "Z:\work\x".
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
exec "$wine" "$@"
