#!/usr/bin/env python3
"""The far end of a serial line for the Windows serial tests: opens a pseudo-terminal in raw
mode, writes its name to the file given as the first argument, then sends back every byte it
receives until it is stopped (or after the seconds given as the second argument)."""
import os
import pty
import select
import sys
import time
import tty

master, slave = pty.openpty()
tty.setraw(slave)
with open(sys.argv[1], "w", encoding="ascii") as out:
    out.write(os.ttyname(slave))
deadline = time.time() + (float(sys.argv[2]) if len(sys.argv) > 2 else 600)
while time.time() < deadline:
    ready, _, _ = select.select([master], [], [], 0.5)
    if ready:
        try:
            data = os.read(master, 4096)
        except OSError:
            break
        os.write(master, data)
