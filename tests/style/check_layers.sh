#!/usr/bin/env bash
# The folders form layers and include only downwards:
#   app > journal, timesheet, reports, history, summary > directories > reportengine, spreadsheet > ui >
#   data, eventlog > seams, files
# A file may include its own folder and any folder of a lower layer, nothing else.
set -euo pipefail
root=$1
cd "$root"
declare -A layer=([files]=0 [seams]=0 [data]=1 [eventlog]=1 [ui]=2 [spreadsheet]=3 [reportengine]=3 [directories]=4
                  [journal]=5 [timesheet]=5 [reports]=5 [history]=5 [summary]=5 [app]=6)
bad=0
checked=0
for folder in "${!layer[@]}"; do
  [ -d "$folder" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    target=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$line")
    [ -n "${layer[$target]+x}" ] || continue
    checked=$((checked + 1))
    if [ "$target" != "$folder" ] && [ "${layer[$target]}" -ge "${layer[$folder]}" ]; then
      echo "layers: $file includes $target/ (layer ${layer[$target]}), not below $folder/ (layer ${layer[$folder]})"
      bad=1
    fi
  done < <(grep -rHE '^#include "[^/"]+/' "$folder" --include='*.h' --include='*.cpp' || true)
done
[ "$bad" = 0 ] && echo "layers: $checked includes across folders, all downwards"
exit "$bad"
