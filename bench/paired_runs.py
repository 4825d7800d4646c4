#!/usr/bin/env python3
"""Paired whole-process timing of two commands on a shared (loaded) machine.

    bench/paired_runs.py [--runs N] [--warmup N] 'COMMAND A' 'COMMAND B'

Each round runs A and B back to back (alternating which goes first) and takes the ratio of
their wall times, so that a load spike hits both of a pair alike; the answer is the median of
the ratios, with the median times of each. A command may end in '> FILE' to send its standard
output there (as a shell would); otherwise it goes to /dev/null. Commands are started with
posix_spawn, not through a shell, so the start-up measured is the program's own.
"""
import argparse
import os
import shlex
import statistics
import sys
import time


def parse(command):
    target = os.devnull
    if " > " in command:
        command, target = command.rsplit(" > ", 1)
    return shlex.split(command), target.strip()


def run_once(argv, target):
    out = os.open(target, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
    null = os.open(os.devnull, os.O_WRONLY)
    try:
        actions = [(os.POSIX_SPAWN_DUP2, out, 1), (os.POSIX_SPAWN_DUP2, null, 2)]
        start = time.perf_counter()
        pid = os.posix_spawnp(argv[0], argv, os.environ, file_actions=actions)
        _, status = os.waitpid(pid, 0)
        elapsed = time.perf_counter() - start
    finally:
        os.close(out)
        os.close(null)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {shlex.join(argv)}")
    return elapsed


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--warmup", type=int, default=3)
    parser.add_argument("a")
    parser.add_argument("b")
    options = parser.parse_args()
    a, b = parse(options.a), parse(options.b)
    for _ in range(options.warmup):
        run_once(*a)
        run_once(*b)
    times_a, times_b, ratios = [], [], []
    for i in range(options.runs):
        if i % 2 == 0:
            ta, tb = run_once(*a), run_once(*b)
        else:
            tb, ta = run_once(*b), run_once(*a)
        times_a.append(ta)
        times_b.append(tb)
        ratios.append(tb / ta)
    ms = lambda values: statistics.median(values) * 1000
    print(f"A {ms(times_a):8.2f} ms  {options.a}")
    print(f"B {ms(times_b):8.2f} ms  {options.b}")
    print(f"B/A median of {options.runs} paired ratios: {statistics.median(ratios):.2f}"
          f"  (A/B {1 / statistics.median(ratios):.2f})")


if __name__ == "__main__":
    main()
