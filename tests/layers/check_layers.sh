#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own, or of a layer beside it
# that it may not use. Each folder below is one library; a folder may include its own headers
# and those of the folders listed after it.
set -euo pipefail
cd "${1:-$(dirname "$0")/../..}"

declare -A allowed=(
  [base]="base"
  [bus]="bus base"
  [cpu]="cpu bus base"
  [tools]="tools cpu bus base"
  [machine]="machine tools cpu bus base"
  [resources]="resources machine tools cpu bus base"
  [ui]="ui resources machine tools cpu bus base"
  [app]="app ui resources machine tools cpu bus base"
)

status=0
for layer in "${!allowed[@]}"; do
  [ -d "$layer" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    header=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${line#*:}")
    folder=${header%%/*}
    # Headers that are not in a folder (generated forms, local files) belong to the layer.
    [ "$folder" = "$header" ] && continue
    [ -n "${allowed[$folder]+known}" ] || continue
    if [[ " ${allowed[$layer]} " != *" $folder "* ]]; then
      echo "$file includes $header: $layer/ may use only ${allowed[$layer]}" >&2
      status=1
    fi
  done < <(grep -rnE --include='*.cpp' --include='*.h' '^\s*#\s*include "' "$layer" |
           sed -E 's/^([^:]+):[0-9]+:/\1:/')
done
[ $status -eq 0 ] && echo "layers: every include goes to the same or a lower layer"
exit $status
