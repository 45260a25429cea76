#!/usr/bin/env bash
# The small-files shape: 10,000 pages of about 2 KB in a folder tree, written by
# tessaly-cli --whole-file --keep-tree -o. CPU time (user + system of the whole
# process) and wall time against cp -r of the tree, and --jobs 2 against --jobs 1;
# medians of interleaved runs. Also the system calls per file (strace -c -f, when
# installed) and a check that the results are sed's, byte for byte.
#
#   bench/shape_small_files.sh CLI [BASELINE_CLI]
#
# Environment: RUNS (default 5), SEED (default 1), WORK (default /dev/shm/tessaly-bench).
#
# The corpus and the results go to WORK/small-files.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cli=$1 baseline=${2:-}
runs=${RUNS:-5} seed=${SEED:-1} work=${WORK:-/dev/shm/tessaly-bench}
[[ -x $cli ]] || { echo "shape_small_files.sh: no tessaly-cli at '$cli'" >&2; exit 2; }

dir="$work/small-files"
corpus="$dir/corpus-s$seed"
if [[ ! -f $corpus/.complete ]]; then
    rm -rf "$corpus"
    # Pages of 1.5 to 2.5 KB in 500 folders three deep, windows-1252 text with the
    # find word a few times in each.
    python3 - "$corpus" "$seed" <<'PY'
import os, random, sys
out, rng = sys.argv[1], random.Random(int(sys.argv[2]))
words = ("Acme catalogue r\xe9sum\xe9 price order delivery caf\xe9 service news team "
         "contact support product garden winter summer library na\xefve report").split()
for d in range(500):
    folder = os.path.join(out, "area%d" % (d // 100), "group%d" % (d // 10 % 10), "folder%03d" % d)
    os.makedirs(folder)
    for k in range(20):
        size = rng.randint(1500, 2500)
        head = '<!DOCTYPE html>\n<html><head><meta charset="windows-1252"><title>Acme page %d</title></head>\n<body>\n' % k
        body = []
        n = len(head)
        while n < size - 20:
            p = "<p>" + " ".join(rng.choice(words) for _ in range(12)) + "</p>\n"
            body.append(p)
            n += len(p)
        text = head + "".join(body) + "</body></html>\n"
        with open(os.path.join(folder, "page%02d.htm" % k), "wb") as f:
            f.write(text.encode("cp1252"))
open(os.path.join(out, ".complete"), "w").write("10000 pages\n")
PY
fi
find "$corpus" -type f -exec cat {} + > /dev/null
pages=$(find "$corpus" -type f -name '*.htm*' | wc -l)
echo
echo "== small files: $pages pages, $(du -sm --apparent-size "$corpus" | cut -f1) MB; $runs interleaved rounds"

q() { printf '%q' "$1"; }
C=$(q "$corpus") O=$(q "$dir/o")
fresh="rm -rf $O && mkdir -p $O"
triples=(cp "rm -rf $O" "cp -r $C $O")
ratios=()
tools=("$cli") labels=("tessaly")
[[ -n $baseline ]] && tools+=("$baseline") labels+=("baseline")
for i in "${!tools[@]}"; do
    T=$(q "${tools[$i]}") L=${labels[$i]}
    for j in 1 2; do
        triples+=("$L -j$j" "$fresh" "$T --whole-file -q -f Acme -r Zenith --keep-tree -o $O --jobs $j $C")
        ratios+=(--ratio "$L -j$j / cp" "$L -j$j" cp)
    done
    ratios+=(--ratio "$L -j2 / $L -j1" "$L -j2" "$L -j1")
done
[[ -n $baseline ]] && ratios+=(--ratio "tessaly / baseline, -j2" "tessaly -j2" "baseline -j2")
python3 "$here/cpu_runs.py" --runs "$runs" "${ratios[@]}" "${triples[@]}"

if command -v strace > /dev/null; then
    echo
    echo "system calls per page (strace -c -f, one run each)"
    for i in "${!tools[@]}"; do
        rm -rf "$dir/o" && mkdir -p "$dir/o"
        strace -c -f -o "$dir/strace.txt" "${tools[$i]}" --whole-file -q -f Acme -r Zenith --keep-tree \
            -o "$dir/o" --jobs 2 "$corpus" > /dev/null 2>&1
        awk -v label="${labels[$i]} -j2" -v pages="$pages" '$NF == "total" {printf "  %-16s %6.1f\n", label, $4 / pages}' \
            "$dir/strace.txt"
    done
    rm -rf "$dir/o"
    strace -c -f -o "$dir/strace.txt" cp -r "$corpus" "$dir/o"
    awk -v pages="$pages" '$NF == "total" {printf "  %-16s %6.1f\n", "cp -r", $4 / pages}' "$dir/strace.txt"
fi

# The results must be sed's, byte for byte.
rm -rf "$dir/o" "$dir/p" && mkdir -p "$dir/o" && cp -r "$corpus" "$dir/p"
"$cli" --whole-file -q -f Acme -r Zenith --keep-tree -o "$dir/o" "$corpus" > /dev/null 2>&1
find "$dir/p" -type f -name '*.htm*' -exec sed -i s/Acme/Zenith/g {} +
rm -f "$dir/p/.complete"
if diff -r -q "$dir/p" "$dir/o" > /dev/null; then
    echo "check: all $pages results identical to sed's"
else
    echo "check: results differ from sed's" >&2
    exit 1
fi
rm -rf "$dir/o" "$dir/p" "$dir/strace.txt"
