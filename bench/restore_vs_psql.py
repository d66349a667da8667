#!/usr/bin/env python3
"""Restore of 100,000 vehicles onto a PostgreSQL server against psql's \\copy.

Starts a server of its own (scripts/pgserver.sh, a Unix socket in a temporary
folder), makes a program folder whose tables stand on it, builds the same CSV
backup as restore_vs_shell.py, then runs in turn:
  restore: `mivora restore FILE` in that program folder;
  \\copy:   psql copying the same rows, already turned into UTF-8 CSV of the 47
           columns, into a table of the same columns and keys in one transaction
           after deleting its rows, as the restore does.
Prints the median wall time of each and their ratio.

    python3 bench/restore_vs_psql.py BUILD/mivora [--vehicles N] [--rounds N]

Use a Release build (cmake -DCMAKE_BUILD_TYPE=Release).
"""

import csv
import os
import shutil
import statistics
import subprocess
import tempfile

from restore_vs_shell import FIELDS, arguments, timed, vehicle, write_csv

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def psql(server, *commands):
    subprocess.run(["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", server] +
                   [part for command in commands for part in ("-c", command)],
                   check=True, stdout=subprocess.DEVNULL)


def main():
    mivora, args = arguments()

    work = tempfile.mkdtemp(prefix="mivora-pg-ratio-")
    os.chmod(work, 0o755)  # the server runs as the user postgres
    socket = os.path.join(work, "pg")
    script = os.path.join(ROOT, "scripts", "pgserver.sh")
    server = subprocess.run(["bash", script, "start", socket], check=True, capture_output=True,
                            text=True).stdout.strip().splitlines()[-1]
    try:
        program = os.path.join(work, "program")
        subprocess.run([mivora, "init", "--server", server, program], check=True,
                       stdout=subprocess.DEVNULL)
        data = os.path.join(work, "vehicles.CSV")
        write_csv(data, args.vehicles)
        utf8 = os.path.join(work, "vehicles-utf8.csv")
        with open(utf8, "w", newline="", encoding="utf-8") as out:
            writer = csv.writer(out)
            for i in range(args.vehicles):
                writer.writerow(vehicle(i))
        columns = ", ".join("c%d text NOT NULL DEFAULT ''" % n for n in range(1, FIELDS + 1))
        psql(server, "CREATE TABLE copied (rowid bigserial PRIMARY KEY, %s)" % columns)
        names = ", ".join("c%d" % n for n in range(1, FIELDS + 1))
        print("%d vehicles, %.1f MB of CSV" % (args.vehicles, os.path.getsize(data) / 1e6))

        times = {"restore": [], "psql \\copy": []}
        for _ in range(args.rounds):
            times["restore"].append(timed([mivora, "restore", data], program))
            times["psql \\copy"].append(timed(
                ["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", server, "-c", "BEGIN",
                 "-c", "DELETE FROM copied",
                 "-c", "\\copy copied (%s) FROM '%s' WITH (FORMAT csv)" % (names, utf8),
                 "-c", "COMMIT"], work))

        median = {name: statistics.median(values) for name, values in times.items()}
        for name in times:
            print("%-11s median %.3f s  (%s)" % (name, median[name],
                                               ", ".join("%.3f" % t for t in times[name])))
        print("restore / psql \\copy = %.2f" % (median["restore"] / median["psql \\copy"]))
    finally:
        subprocess.run(["bash", script, "stop", socket], check=False)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
