#!/usr/bin/env bash
# The --diff shape: tessaly-cli -n --diff over 200 pages (12 MB) against
# diff -ru of the pages and their results; CPU time (user + system) and wall
# time, medians of interleaved runs, everything in memory (/dev/shm). Checks that
# patch turns the pages, made UTF-8 (the diff is printed in the terminal's
# encoding), into their results with the diff printed.
#
#   bench/shape_diff.sh CLI [BASELINE_CLI]
#
# Environment: RUNS (default 5), SEED (default 1), WORK (default
# /dev/shm/tessaly-bench-diff), OUT (generated inputs; default bench/out).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cli=$(realpath "$1") baseline=${2:+$(realpath "$2")}
runs=${RUNS:-5} seed=${SEED:-1} work=${WORK:-/dev/shm/tessaly-bench-diff} out=${OUT:-$here/out}

pages="$out/corpus-200-12mb-s$seed"
[[ -f $pages/.complete ]] || python3 "$here/gen_corpus.py" "$pages" --seed "$seed" --files 200 --total-mb 12
rm -rf "$work" && mkdir -p "$work"
# The results are those of --whole-file, made by sed.
cp -r "$pages" "$work/a" && cp -r "$pages" "$work/b"
(cd "$work/a" && find . -type f \( -name '*.htm' -o -name '*.html' \) | sort) > "$work/files.lst"
(cd "$work/b" && xargs sed -i s/Acme/Zenith/g < "$work/files.lst")

q() { printf '%q' "$1"; }
A=$(q "$work/a") L=$(q "$work/files.lst")
triples=("diff -ru" true "cd $A && diff -ru . ../b > /dev/null; [ \$? = 1 ]")
ratios=()
add() { # add NAME CLI
    triples+=("$1" true "cd $A && xargs $(q "$2") -n --diff --whole-file -f Acme -r Zenith < $L > /dev/null 2>&1")
    ratios+=(--ratio "$1 / diff -ru" "$1" "diff -ru")
}
add "tessaly-cli -n --diff" "$cli"
if [[ -n $baseline ]]; then
    add "baseline -n --diff" "$baseline"
    ratios+=(--ratio "tessaly-cli / baseline" "tessaly-cli -n --diff" "baseline -n --diff")
fi
echo "== --diff: 200 pages, $(du -sh "$work/a" | cut -f1); $runs interleaved rounds"
python3 "$here/cpu_runs.py" --runs "$runs" "${ratios[@]}" "${triples[@]}"

# The diff must be one that patch applies.
while read -r f; do
    mkdir -p "$(dirname "$work/u/$f")"
    iconv -f windows-1252 -t utf-8 "$work/a/$f" > "$work/u/$f"
    sed s/Acme/Zenith/g "$work/u/$f" > "$work/u/$f.expected"
done < "$work/files.lst"
(cd "$work/u" && xargs "$cli" -n --diff --whole-file -f Acme -r Zenith < "$work/files.lst" 2>/dev/null > "$work/d.diff")
(cd "$work/u" && patch -s -p0 < "$work/d.diff")
same=0 total=$(wc -l < "$work/files.lst")
while read -r f; do
    cmp -s "$work/u/$f" "$work/u/$f.expected" && same=$((same + 1))
done < "$work/files.lst"
echo "check: patch with the diff turns $same of $total pages into their results"
rm -rf "$work"
[[ $same == "$total" ]]
