#!/usr/bin/env python3
"""Restore and backup of 100,000 vehicles: the Windows build under wine beside
the Debian build of the same commit, on the same machine and the same input.

Wine adds its own cost to every file call; a ratio far above 2 points at a
slowness of the Windows side itself (unbuffered writes, a flush per line).

    python3 bench/windows_vs_debian.py DEBIAN/mivora dist/windows/Mivora/mivora.exe
        [--vehicles N] [--rounds N]

Use Release builds (scripts/windows.sh makes one); run it in the wine
environment of scripts/wine-env.sh (WINEPREFIX, WINEPATH, LANG=ja_JP.UTF-8).
"""

import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time

from restore_vs_shell import write_csv


def timed(command, cwd):
    os.sync()
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("debian")
    parser.add_argument("windows")
    parser.add_argument("--vehicles", type=int, default=100_000)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    programs = {"Debian": [os.path.abspath(args.debian)],
                "Windows": ["wine", os.path.abspath(args.windows)]}
    with tempfile.TemporaryDirectory() as work:
        backup = os.path.join(work, "vehicles.CSV")
        write_csv(backup, args.vehicles)
        times = {(side, step): [] for side in programs for step in ("restore", "backup")}
        for side, program in programs.items():
            folder = os.path.join(work, side)
            subprocess.run(program + ["init", folder], check=True, stdout=subprocess.DEVNULL)
            shutil.copy(backup, os.path.join(folder, "in.CSV"))
            for _ in range(args.rounds):
                times[side, "restore"].append(timed(program + ["restore", "in.CSV"], folder))
                times[side, "backup"].append(
                    timed(program + ["backup", "out.CSV", "--row", "1"], folder))
        for step in ("restore", "backup"):
            debian = statistics.median(times["Debian", step])
            windows = statistics.median(times["Windows", step])
            print(f"{step} of {args.vehicles} vehicles: Debian {debian:.2f} s, "
                  f"Windows under wine {windows:.2f} s, ratio {windows / debian:.2f}")


if __name__ == "__main__":
    main()
