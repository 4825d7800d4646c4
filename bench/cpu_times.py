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
import os
import shlex
import statistics
import sys


def parse(command):
    target = os.devnull
    if " > " in command:
        command, target = command.rsplit(" > ", 1)
    return shlex.split(command), target.strip()


def cpu_ms(argv, target):
    out = os.open(target, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
    null = os.open(os.devnull, os.O_WRONLY)
    try:
        actions = [(os.POSIX_SPAWN_DUP2, out, 1), (os.POSIX_SPAWN_DUP2, null, 2)]
        pid = os.posix_spawnp(argv[0], argv, os.environ, file_actions=actions)
        _, status, usage = os.wait4(pid, 0)
    finally:
        os.close(out)
        os.close(null)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {shlex.join(argv)}")
    return (usage.ru_utime + usage.ru_stime) * 1000


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
