#!/usr/bin/env bash
# Widgets, classes and handlers are named by what they are: no object name of a .ui file, and
# no identifier of the code, in the numbered style (Button9, Edit6, N11, DataModule6,
# on_Button1_clicked), and every tab stop and buddy of a .ui file names one of its widgets.
set -euo pipefail
root=$1
cd "$root"
numbered='(DataModule|Form|Button|Edit|Label|DBGrid|CBox|CheckBox|ComboBox|RadioButton|RadioGroup|GroupBox|PageControl|DTPicker|N)[0-9]+'
bad=0
mapfile -t forms < <(find app directories history journal reports summary timesheet -name '*.ui' | sort)
for form in "${forms[@]}"; do
  names=$(grep -oE 'name="[A-Za-z0-9_]+"' "$form" | sed -E 's/name="(.*)"/\1/' | sort -u)
  while IFS= read -r name; do
    if [[ $name =~ ^${numbered}$ ]]; then
      echo "names: $form: widget $name is named by number"
      bad=1
    fi
  done <<<"$names"
  while IFS= read -r ref; do
    [ -n "$ref" ] || continue
    if ! grep -qx "$ref" <<<"$names"; then
      echo "names: $form: tab stop or buddy $ref names no widget"
      bad=1
    fi
  done < <(grep -oE '<(tabstop|cstring)>[A-Za-z0-9_]+<' "$form" | sed -E 's/<(tabstop|cstring)>(.*)</\2/')
done
if grep -rnE "\b(${numbered}|on_${numbered}_[a-zA-Z]+)\b" app data directories eventlog history journal \
     reports summary timesheet ui seams files spreadsheet reportengine tests bench \
     --include='*.h' --include='*.cpp'; then
  echo "names: the lines above use numbered names"
  bad=1
fi
[ "$bad" = 0 ] && echo "names: ${#forms[@]} forms and the code checked"
exit "$bad"
