#!/usr/bin/env python3
"""Paired runs of two benchmarks of bench_transfer on a shared (loaded) machine.

    bench/transfer_pairs.py [--runs N] [--binary PATH] [--binary-a PATH] [--binary-b PATH] 'FILTER A' 'FILTER B'

Each round runs benchmark A and benchmark B (each a process of its own, alternating which goes
first) and takes the ratio of their real times as the benchmark reports them, so that a load
spike hits both of a pair alike; the answer is the median of the ratios, with the median times
of each. A filter is Google Benchmark's --benchmark_filter and should match one benchmark, e.g.
'BM_PtyPingPong/2701/' (the floor for a 256 KB download) against
'BM_Download256KOverPty<bv3::platform::InlineUiThread>'. --binary-a and --binary-b run A or B
from another build (an earlier one, for before and after).
"""
import argparse
import json
import os
import subprocess
import sys

from paired_runs import pair_up, report


def run_once(binary, pattern):
    env = dict(os.environ, QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen"))
    out = subprocess.run([binary, f"--benchmark_filter={pattern}", "--benchmark_format=json"],
                         capture_output=True, text=True, env=env, check=False)
    if out.returncode != 0:
        sys.exit(f"failed: {binary} {pattern}\n{out.stderr}")
    runs = json.loads(out.stdout)["benchmarks"]
    if len(runs) != 1:
        sys.exit(f"'{pattern}' matched {len(runs)} benchmarks, not one")
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[runs[0]["time_unit"]]
    return runs[0]["real_time"] * unit


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--binary", default=os.path.join(here, "..", "build", "bench", "bench_transfer"))
    parser.add_argument("--binary-a")
    parser.add_argument("--binary-b")
    parser.add_argument("a")
    parser.add_argument("b")
    options = parser.parse_args()
    binary_a = options.binary_a or options.binary
    binary_b = options.binary_b or options.binary
    each = lambda i, ta, tb: print(f"  pair {i + 1}: A {ta * 1000:9.1f} ms  B {tb * 1000:9.1f} ms  B/A {tb / ta:.2f}",
                                   flush=True)
    report(options.a, options.b,
           *pair_up(options.runs, lambda: run_once(binary_a, options.a), lambda: run_once(binary_b, options.b), each))

if __name__ == "__main__":
    main()
