#!/usr/bin/env bash
# tools/host-file-manager, the host's end of the log folder button in
# ./sondalink's prefixes, as winebrowser calls it (a file URL, blanks as
# %20), with stand-ins for xdg-open: one that hands the folder to a file
# manager which stays open, one that finds nothing to open a folder with
# (xdg-open's exit 3), and none at all.
#   host_file_manager_test.sh TOOLS/HOST-FILE-MANAGER
set -euo pipefail
tool=$1
dir=$(mktemp -d)
trap 'kill $(cat "$dir"/stays-open 2>/dev/null) 2>/dev/null; rm -rf "$dir"' EXIT
folder="$dir/AppData/Local/Ardenza/Sondalink con spazi"
mkdir -p "$folder"
url="file://${folder// /%20}"

# Each case: its xdg-open ("" for none) and what the terminal must say.
stub_opens='printf "%s\n" "$1" >>"$(dirname "$0")/../opened"; sleep 60 & echo $! >"$(dirname "$0")/../stays-open"'
stub_finds_none='echo "xdg-open: no method available for opening '"'"'$1'"'"'" >&2; exit 3'
cases=(
  "opens|$stub_opens|"
  "finds-none|$stub_finds_none|No file manager on this machine: the log folder is $folder"
  "missing||No file manager on this machine (no xdg-open): the log folder is $folder"
)
failed=0
for row in "${cases[@]}"; do
  IFS='|' read -r name stub want <<<"$row"
  bin=$dir/bin-$name
  mkdir -p "$bin"
  if [ -n "$stub" ]; then
    printf '#!/bin/sh\n%s\n' "$stub" >"$bin/xdg-open"
    chmod +x "$bin/xdg-open"
    path=$bin:$PATH
  else
    # What the tool needs, without any xdg-open the host may have.
    for t in bash mktemp rm tr sed realpath timeout; do ln -s "$(command -v "$t")" "$bin/$t"; done
    path=$bin
  fi
  rm -f "$dir/opened"
  # A file manager that stays open must not hold the tool.
  if ! PATH=$path timeout 10 "$tool" "$url" 2>"$dir/said"; then
    echo "FAIL $name: the tool failed or hung" >&2; failed=1; continue
  fi
  said=$(cat "$dir/said")
  [ "$said" = "$want" ] || { echo "FAIL $name: the terminal got '$said', not '$want'" >&2; failed=1; }
  if [ "$name" = opens ]; then
    [ "$(cat "$dir/opened" 2>/dev/null)" = "$folder" ] ||
      { echo "FAIL $name: xdg-open was given '$(cat "$dir/opened" 2>/dev/null)'" >&2; failed=1; }
  fi
done
[ $failed -eq 0 ] && echo "all ${#cases[@]} cases as expected"
exit $failed
