#!/usr/bin/env bash
# The big-file shape: one page of 512 MB (BIG_MB) in whole-file mode. Peak
# memory of tessaly-cli, and its CPU time (user + system) and wall time against
# a floor that reads the whole file, writes it to a temporary file and renames
# that into place; medians of interleaved runs, everything in memory (/dev/shm).
#
#   bench/shape_big_file.sh CLI [BASELINE_CLI]
#
# Environment: RUNS (default 5), BIG_MB (default 512), SEED (default 1), WORK
# (default /dev/shm/tessaly-bench-big; needs about 4 x BIG_MB of memory), SETS
# (a number of find/replace sets, 10 of them present, instead of -f Acme -r Zenith),
# UTF16 (le or be: the page as UTF-16 with its mark, twice the bytes).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cli=$(realpath "$1") baseline=${2:+$(realpath "$2")}
runs=${RUNS:-5} big_mb=${BIG_MB:-512} seed=${SEED:-1} work=${WORK:-/dev/shm/tessaly-bench-big}

rm -rf "$work" && mkdir -p "$work"
python3 "$here/gen_corpus.py" "$work/in" --seed "$seed" --big "$big_mb" > /dev/null
if [[ -n ${UTF16:-} ]]; then
    python3 - "$work/in/big.html" "$UTF16" <<'PY'
import sys
path, order = sys.argv[1:3]
text = open(path, "rb").read().decode("latin-1")
open(path, "wb").write((b"\xff\xfe" if order == "le" else b"\xfe\xff") + text.encode("utf-16-" + order))
PY
fi
request=(-f Acme -r Zenith)
if [[ -n ${SETS:-} ]]; then
    python3 "$here/gen_corpus.py" "$work/sets" --sets "$SETS" --present 10 --seed "$seed" > /dev/null
    request=(-s "$work/sets/sets.txt")
fi
cat > "$work/floor.py" <<'PY'
import os, sys
source, result = sys.argv[1:3]
with open(source, "rb") as f:
    data = f.read()
with open(result + ".tmp", "wb") as f:
    f.write(data)
os.rename(result + ".tmp", result)
PY

q() { printf '%q' "$1"; }
W=$(q "$work") BIG=$(q "$work/in/big.html") R=$(printf '%q ' "${request[@]}")
triples=("floor: read whole, write, rename" "rm -rf $W/o" "python3 $W/floor.py $BIG $W/o.html")
ratios=()
tools=("$cli") names=("tessaly-cli --whole-file")
[[ -n $baseline ]] && tools+=("$baseline") names+=("baseline --whole-file")
for i in "${!tools[@]}"; do
    triples+=("${names[$i]}" "rm -rf $W/o && mkdir $W/o" "$(q "${tools[$i]}") --whole-file -q $R-o $W/o $BIG")
    ratios+=(--ratio "${names[$i]} / floor" "${names[$i]}" "floor: read whole, write, rename")
done
echo "== big file: one page of $(stat -c %s "$work/in/big.html") bytes; $runs interleaved rounds"
python3 "$here/cpu_runs.py" --runs "$runs" "${ratios[@]}" "${triples[@]}"

echo
echo "peak memory (maximum resident set size)"
for i in "${!tools[@]}"; do
    rm -rf "$work/o" && mkdir "$work/o"
    /usr/bin/time -f "%M" -o "$work/rss" "${tools[$i]}" --whole-file -q "${request[@]}" -o "$work/o" "$work/in/big.html" 2> /dev/null
    awk -v name="${names[$i]}" '{ printf "  %-30s %8.1f MiB\n", name, $1 / 1024 }' "$work/rss"
done
if [[ -n $baseline ]]; then
    rm -rf "$work/p" && mkdir "$work/p"
    "$baseline" --whole-file -q "${request[@]}" -o "$work/p" "$work/in/big.html" 2> /dev/null
    cmp -s "$work/o/big.html" "$work/p/big.html" && echo "check: result identical to the baseline's" \
        || echo "check FAILED: result differs from the baseline's"
fi
rm -rf "$work"
