#!/bin/sh
# Instruction counts (callgrind) of one sq binary over the bench scripts: repeatable on a loaded machine,
# so two builds of sq (say, the current one and one from an older commit) compare side by side.
#   bench/sq_instructions.sh path/to/sq [script ...]
# Prints one line per script: its name and the instructions the whole run took.
sq="$1"
shift
dir="$(cd "$(dirname "$0")/scripts" && pwd)"
[ $# -gt 0 ] || set -- fib loop tables objects strings text strwork strbuild sort closures regexp
out="$(mktemp -d)"
for name in "$@"; do
    valgrind --tool=callgrind --callgrind-out-file="$out/$name.cg" "$sq" "$dir/$name.nut" >/dev/null 2>"$out/$name.log"
    printf '%s %s\n' "$name" "$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$out/$name.log")"
done
rm -rf "$out"
