#!/usr/bin/env bash
# The memory-per-listed-file shape: the peak resident memory of a tessaly-cli dry
# run over 100,000 small pages in 1,000 folders, less that of a dry run over one of
# them, per listed page. Medians of interleaved runs (/usr/bin/time -f %M).
#
#   bench/shape_list_memory.sh CLI [BASELINE_CLI]
#
# Environment: RUNS (default 5), SEED (default 1), WORK (default /dev/shm/tessaly-bench).
#
# The pages go to WORK/list-memory; they take about
# 400 MB in a memory-backed file system (one page of memory each).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cli=$1 baseline=${2:-}
runs=${RUNS:-5} seed=${SEED:-1} work=${WORK:-/dev/shm/tessaly-bench}
[[ -x $cli ]] || { echo "shape_list_memory.sh: no tessaly-cli at '$cli'" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "shape_list_memory.sh: needs /usr/bin/time" >&2; exit 2; }

pages="$work/list-memory/pages"
if [[ ! -f $pages/.complete ]]; then
    rm -rf "$pages"
    python3 - "$pages" <<'PY'
import os, sys
out = sys.argv[1]
page = b"<html><body><p>Acme pages</p></body></html>\n"
for d in range(1000):
    folder = os.path.join(out, "section%03d" % (d // 100), "folder%03d" % d)
    os.makedirs(folder)
    for k in range(100):
        with open(os.path.join(folder, "page%03d.htm" % k), "wb") as f:
            f.write(page)
open(os.path.join(out, ".complete"), "w").write("100000 pages\n")
PY
fi
one="$pages/section000/folder000/page000.htm"

peak_kb() { /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -1; }

tools=("$cli") labels=("tessaly")
[[ -n $baseline ]] && tools+=("$baseline") labels+=("baseline")
declare -A all single
echo
echo "== memory per listed file: dry run over 100,000 pages; $runs interleaved rounds"
for ((r = 0; r < runs; r++)); do
    for i in "${!tools[@]}"; do
        all[$i]+="$(peak_kb "${tools[$i]}" --dry-run -q -f Acme -r Zenith "$pages") "
        single[$i]+="$(peak_kb "${tools[$i]}" --dry-run -q -f Acme -r Zenith "$one") "
    done
done
for i in "${!tools[@]}"; do
    python3 - "${labels[$i]}" "${all[$i]}" "${single[$i]}" <<'PY'
import statistics, sys
label, many, one = sys.argv[1], [int(x) for x in sys.argv[2].split()], [int(x) for x in sys.argv[3].split()]
m, o = statistics.median(many), statistics.median(one)
print("%-10s peak %7.1f MiB over 100,000 pages, %5.1f MiB over one: %4.0f bytes per listed file"
      % (label, m / 1024, o / 1024, (m - o) * 1024 / 100000))
PY
done
