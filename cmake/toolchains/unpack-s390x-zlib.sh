#!/bin/sh
# unpack-s390x-zlib.sh DIR: unpacks Debian's zlib1g-dev:s390x into DIR (DIR/usr/include,
# DIR/usr/lib/s390x-linux-gnu), for the s390x cross build (QUELLIX_S390X_ZLIB=DIR). The
# package is downloaded, not installed: installing it beside the machine's own zlib would
# need the two at exactly the same version. Needs the s390x architecture known to apt
# (dpkg --add-architecture s390x && apt-get update, as root).
set -eu
dir=$1
if [ -f "$dir/usr/lib/s390x-linux-gnu/libz.a" ]; then exit 0; fi
mkdir -p "$dir/debs"
(cd "$dir/debs" && apt-get download zlib1g-dev:s390x)
for deb in "$dir"/debs/*.deb; do dpkg-deb -x "$deb" "$dir"; done
test -f "$dir/usr/lib/s390x-linux-gnu/libz.a"
