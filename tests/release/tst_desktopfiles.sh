#!/bin/bash
# The desktop entry and the AppStream metainfo pass their validators, and
# they name the same application, icon and program as the install rules.
set -euo pipefail
src=$1
dist=$src/dist
id=org.kelvaro.Lexivane
if ! command -v desktop-file-validate >/dev/null || ! command -v appstreamcli >/dev/null; then
    echo "SKIP: desktop-file-validate or appstreamcli missing (desktop-file-utils, appstream)"
    exit 77
fi
fail() { echo "FAIL: $*"; exit 1; }

desktop-file-validate "$dist/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$dist/$id.metainfo.xml" || fail "metainfo"

grep -qx "Exec=lexivane" "$dist/$id.desktop" || fail "desktop entry does not start the launcher"
grep -qx "Icon=$id" "$dist/$id.desktop" || fail "desktop entry names another icon"
grep -q "<id>$id</id>" "$dist/$id.metainfo.xml" || fail "metainfo id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$dist/$id.metainfo.xml" ||
    fail "metainfo launches another desktop entry"
grep -q "setDesktopFileName(QStringLiteral(\"$id\"))" "$src/src/app/main.cpp" ||
    fail "the program announces another desktop file name"
for size in 16 22 24 32 48 64 128 256; do
    png=$dist/icons/${size}x$size/$id.png
    [ -f "$png" ] || fail "no $size px icon"
    # PNG header: width and height are big-endian words at bytes 16 and 20.
    dims=$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ' | sed 's/^ //')
    read -r w0 w1 w2 w3 h0 h1 h2 h3 <<<"$dims"
    w=$(( (w0 << 24) | (w1 << 16) | (w2 << 8) | w3 ))
    h=$(( (h0 << 24) | (h1 << 16) | (h2 << 8) | h3 ))
    [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "$png is ${w}x$h"
done
echo "desktop files: passed"
