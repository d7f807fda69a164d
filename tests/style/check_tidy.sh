#!/usr/bin/env bash
# clang-tidy (.clang-tidy at the root) over the program's own sources, compiled as the build's
# compile_commands.json says; any finding fails. Generated moc/uic/qrc files are not ours and
# are left out; of the headers only the named folders' own count.
#   check_tidy.sh SOURCE_ROOT BUILD_DIR [FOLDER...]
# FOLDER defaults to every folder of the program plus tests/support. NORV_TIDY_JOBS (2) is
# how many clang-tidy run at once.
set -euo pipefail
root=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
shift 2
folders=("$@")
[ ${#folders[@]} -gt 0 ] || folders=(app data eventlog seams files ui journal timesheet reports history summary
                                     spreadsheet directories reportengine tests/support)
jobs=${NORV_TIDY_JOBS:-2}
tidy=${NORV_CLANG_TIDY:-clang-tidy}
[ -f "$build/compile_commands.json" ] || { echo "tidy: no $build/compile_commands.json"; exit 1; }

work=$(mktemp -d /tmp/norv-tidy-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/logs"

# A compile database of only the named folders' sources, without the arguments clang does not
# know (gcc-only options such as -fconcepts-diagnostics-depth stop clang-tidy with an error).
python3 - "$tidy" "$root" "$build" "$work" "${folders[@]}" <<'PY'
import json, os, re, shlex, subprocess, sys
tidy, root, build, work, folders = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:]
prefixes = [os.path.join(root, f.strip('/')) + '/' for f in folders]
entries = []
for e in json.load(open(os.path.join(build, 'compile_commands.json'))):
    path = os.path.normpath(os.path.join(e['directory'], e['file']))
    if path.startswith(build + '/') or not any(path.startswith(p) for p in prefixes):
        continue
    args = e['arguments'] if 'arguments' in e else shlex.split(e['command'])
    entries.append({'directory': e['directory'], 'file': path, 'arguments': args})
options = sorted({a for e in entries for a in e['arguments'][1:] if re.match(r'-[fmW]', a)})
probe = os.path.join(work, 'probe.cpp')
open(probe, 'w').close()
result = subprocess.run([tidy, '--checks=-*', probe, '--', '-c'] + options,
                        capture_output=True, text=True)
unknown = set(re.findall(r"(?:unknown argument|unsupported option):? '([^']+)'",
                         result.stdout + result.stderr))
if unknown:
    print('tidy: leaving out what clang does not know:', ' '.join(sorted(unknown)))
for e in entries:
    e['arguments'] = [a for a in e['arguments'] if a not in unknown]
json.dump(entries, open(os.path.join(work, 'compile_commands.json'), 'w'), indent=1)
with open(os.path.join(work, 'files'), 'w') as out:
    out.writelines(sorted(e['file'] + '\n' for e in entries))
PY
count=$(wc -l <"$work/files")
[ "$count" -gt 0 ] || { echo "tidy: no sources of ${folders[*]} in the compile database"; exit 1; }

# diagnostics of the named folders' headers; Qt's and the build's ui_*.h stay quiet
escaped_root=$(sed 's/[][\.*^$+?(){}|]/\\&/g' <<<"$root")
header_filter="^$escaped_root/($(IFS='|'; echo "${folders[*]}"))/[^/]+\.h$"

run_one() {
    local file=$1 log
    log=$work/logs/$(md5sum <<<"$file" | cut -c1-16).log
    if ! "$tidy" -p "$work" --quiet --use-color=false --header-filter="$header_filter" \
        --extra-arg=-Wno-unknown-warning-option "$file" >"$log" 2>&1; then
        echo "$file" >>"$work/failed"
    fi
    # what clang prints about warnings it suppressed is noise here
    sed -i -E '/^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$/d' "$log"
}
export -f run_one
export tidy work header_filter
start=$SECONDS
xargs -a "$work/files" -d '\n' -P "$jobs" -I{} bash -c 'run_one "$1"' _ {}
elapsed=$((SECONDS - start))

cat "$work"/logs/*.log
findings=$(cat "$work"/logs/*.log | grep -E '^/.*:[0-9]+:[0-9]+: (error|warning):' | sort -u || true)
if [ -n "$findings" ] || [ -f "$work/failed" ]; then
    echo "tidy: findings in $count files of ${folders[*]} (${elapsed}s on $jobs jobs):"
    sed -E "s|^$escaped_root/||; s|^([^:]+:[0-9]+):[0-9]+: [a-z]+: .*\[([^],]+).*\]$|\1 \2|" \
        <<<"$findings"
    exit 1
fi
echo "tidy: $count files of ${folders[*]} clean (${elapsed}s on $jobs jobs)"
