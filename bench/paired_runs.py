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


def spawn(argv, target):
    """Runs argv once; its wall time in seconds and the CPU time (user + system) it was charged, in ms."""
    out = os.open(target, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
    null = os.open(os.devnull, os.O_WRONLY)
    try:
        actions = [(os.POSIX_SPAWN_DUP2, out, 1), (os.POSIX_SPAWN_DUP2, null, 2)]
        start = time.perf_counter()
        pid = os.posix_spawnp(argv[0], argv, os.environ, file_actions=actions)
        _, status, usage = os.wait4(pid, 0)
        elapsed = time.perf_counter() - start
    finally:
        os.close(out)
        os.close(null)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {shlex.join(argv)}")
    return elapsed, (usage.ru_utime + usage.ru_stime) * 1000


def run_once(argv, target):
    return spawn(argv, target)[0]


def pair_up(runs, run_a, run_b, each=None):
    """Runs run_a and run_b runs times, alternating which goes first; their times and ratios B/A."""
    times_a, times_b, ratios = [], [], []
    for i in range(runs):
        if i % 2 == 0:
            ta, tb = run_a(), run_b()
        else:
            tb, ta = run_b(), run_a()
        times_a.append(ta)
        times_b.append(tb)
        ratios.append(tb / ta)
        if each:
            each(i, ta, tb)
    return times_a, times_b, ratios


def report(a, b, times_a, times_b, ratios):
    ms = lambda values: statistics.median(values) * 1000
    print(f"A {ms(times_a):9.2f} ms  {a}")
    print(f"B {ms(times_b):9.2f} ms  {b}")
    print(f"B/A median of {len(ratios)} paired ratios: {statistics.median(ratios):.2f}"
          f" (lowest {min(ratios):.2f}, highest {max(ratios):.2f})")


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
    report(options.a, options.b, *pair_up(options.runs, lambda: run_once(*a), lambda: run_once(*b)))


if __name__ == "__main__":
    main()
