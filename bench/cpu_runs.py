#!/usr/bin/env python3
"""Time commands interleaved and report medians of CPU time (user + system) and wall time.

  cpu_runs.py [--runs N] [--json FILE] [--ratio LABEL A B]... NAME PREPARE COMMAND [NAME PREPARE COMMAND]...

Each COMMAND and PREPARE is a bash command line. After one untimed warm-up of each
command, N rounds (default 5) run every command once, in the order given, each after
its PREPARE (untimed), so that a load that comes and goes falls on all of them alike.
The CPU time is that of the command's whole process tree, as wait4 reports it.
--ratio prints median(A) / median(B) of CPU and of wall time.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time


def run_once(command):
    # Standard error goes to a file, shown only when the command fails: a pipe
    # would have to be read while the command runs.
    with tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        proc = subprocess.Popen(["bash", "-c", command], stdout=subprocess.DEVNULL, stderr=err)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        proc.returncode = os.waitstatus_to_exitcode(status)
        if proc.returncode != 0:
            err.seek(0)
            sys.stderr.write(err.read().decode(errors="replace"))
            sys.exit("cpu_runs.py: exit status %d from: %s" % (proc.returncode, command))
    return usage.ru_utime + usage.ru_stime, wall


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--json", help="write every run's times to FILE")
    ap.add_argument("--ratio", nargs=3, action="append", default=[], metavar=("LABEL", "A", "B"))
    ap.add_argument("triples", nargs="+", help="NAME PREPARE COMMAND ...")
    a = ap.parse_args()
    if len(a.triples) % 3:
        ap.error("commands come as NAME PREPARE COMMAND")
    commands = [tuple(a.triples[i:i + 3]) for i in range(0, len(a.triples), 3)]

    for name, prepare, command in commands:
        subprocess.run(["bash", "-c", prepare], check=True)
        run_once(command)
    times = {name: [] for name, _, _ in commands}
    for r in range(a.runs):
        for name, prepare, command in commands:
            subprocess.run(["bash", "-c", prepare], check=True)
            times[name].append(run_once(command))
        print("  round %d of %d done" % (r + 1, a.runs), file=sys.stderr)

    med = {name: (statistics.median(c for c, _ in t), statistics.median(w for _, w in t)) for name, t in times.items()}
    print("%-34s %12s %12s %12s" % ("command", "median CPU s", "min CPU s", "median wall s"))
    for name, _, _ in commands:
        print("%-34s %12.3f %12.3f %12.3f" % (name, med[name][0], min(c for c, _ in times[name]), med[name][1]))
    if a.ratio:
        print()
        print("%-50s %8s %8s" % ("ratio of medians", "CPU", "wall"))
        for label, x, y in a.ratio:
            if x in med and y in med:
                print("%-50s %8.3f %8.3f" % (label, med[x][0] / med[y][0], med[x][1] / med[y][1]))
    if a.json:
        with open(a.json, "w") as f:
            json.dump({"runs": a.runs, "times": times, "medians": med}, f, indent=1)


if __name__ == "__main__":
    main()
