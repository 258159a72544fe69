#!/usr/bin/env bash
# SistemaA64Bit under WOW64: the 32-bit probe run in a 64-bit prefix of its
# own must say 64 bit.   prefisso64_test.sh TOOLS PREFIX PROBE
set -euo pipefail
tools=$1 prefix=$2 probe=$3
"$tools/wine-prefix" "$prefix" win64
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# Output to a file: Wine's services, started with the program, keep what it
# was given open after it ends.
SONDALINK_WINEPREFIX=$prefix "$tools/wine-run" "$probe" </dev/null >"$out" 2>/dev/null
# Let this prefix's server and services end before the test does.
WINEPREFIX=$prefix timeout 60 wineserver -w || true
facts=$(tr -d '\r' <"$out")
echo "$facts"
grep -qx 'a64bit=1' <<<"$facts"
grep -qx 'ok=1' <<<"$facts"
