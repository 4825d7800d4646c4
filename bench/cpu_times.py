#!/usr/bin/env python3
"""CPU time (user + system) of whole commands, run interleaved on a shared (loaded) machine.

    bench/cpu_times.py [--runs N] 'COMMAND A' 'COMMAND B' ...

Each round runs every command once (in turn, reversing the order every other round) and takes
the CPU time the kernel charged to it. CPU time is inflated less than wall time by other
work on the machine, though not spared by it (caches, hyper-threads); the minimum and the
median of the rounds are printed. A command may end in '> FILE' to send its standard output
there; otherwise it goes to /dev/null. Commands are started with posix_spawn, not through a
shell.
"""
import argparse
import statistics

from paired_runs import parse, spawn


def cpu_ms(argv, target):
    return spawn(argv, target)[1]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("commands", nargs="+")
    args = parser.parse_args()
    times = {command: [] for command in args.commands}
    for round_ in range(args.runs):
        order = args.commands if round_ % 2 == 0 else args.commands[::-1]
        for command in order:
            times[command].append(cpu_ms(*parse(command)))
    for command in args.commands:
        print(f"min {min(times[command]):8.1f} ms  median {statistics.median(times[command]):8.1f} ms  {command}")


if __name__ == "__main__":
    main()
