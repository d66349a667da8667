#!/usr/bin/env python3
"""Restore and backup of 100,000 vehicles against the stock sqlite3 shell.

Builds a CSV backup of 100,000 vehicles (Shift-JIS, about 45 MB), then runs, in
turn and on the same input:
  restore: `mivora restore FILE` into a fresh copy of a data folder, against the
           shell importing the same CSV into a table with the same columns and
           indexes, in one transaction;
  backup:  `mivora backup FILE --row 1`, against the shell exporting the table
           as CSV.
Prints the median wall time of each, their ratio, and the peak resident memory.

    python3 bench/restore_vs_shell.py BUILD/mivora [--vehicles N] [--rounds N]

Use a Release build (cmake -DCMAKE_BUILD_TYPE=Release).
"""

import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time

FIELDS = 47


def vehicle(i):
    readings = ["ﾔﾏﾀﾞ ﾀﾛｳ", "ｽｽﾞｷ ﾊﾅｺ", "ｻﾄｳ ｹﾝｼﾞ", "ﾀﾅｶ ｲﾁﾛｳ", "ｶﾄｳ ｱｷﾗ"]
    addresses = ["東京都千代田区丸の内１丁目", "北海道札幌市中央区大通西１０丁目",
                 "大阪府大阪市中央区大手前２丁目", "名古屋市中区三の丸３丁目",
                 "福岡県福岡市中央区天神１丁目"]
    values = [readings[i % 5], "03-%07d" % (1000000 + (i * 7919) % 1000003),
              "山田　太郎", addresses[i % 5] + str(i % 30 + 1) + "番",
              "品川５００あ" + str(i)]
    values += ["令和０６年" if field % 2 else str((i + field) % 1000)
               for field in range(6, FIELDS + 1)]
    return values


def write_csv(path, count):
    # The backup's own layout: a comma before every column, one after the last.
    with open(path, "wb") as out:
        for i in range(count):
            out.write(("," + ",".join(vehicle(i)) + ",\r\n").encode("cp932"))


def timed(command, cwd, stdout=subprocess.DEVNULL):
    # Each run starts with nothing of the run before still being written to disk,
    # which would otherwise slow whichever command comes next.
    os.sync()
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, check=True, stdout=stdout)
    return time.perf_counter() - start


def peak_of(command, cwd, stdout=subprocess.DEVNULL):
    """Peak resident kB of one run, measured by GNU time."""
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, cwd=cwd, check=True,
                            stdout=stdout, stderr=subprocess.PIPE, text=True)
    return int(result.stderr.strip().splitlines()[-1])


def shell_schema(tables):
    """The vehicle table's own statements, with two extra columns for the CSV's
    empty first and last fields."""
    schema = subprocess.run(["sqlite3", os.path.join(tables, "INDATA.db"), ".schema records"],
                            check=True, capture_output=True, text=True).stdout
    create, _, indexes = schema.partition(";\n")
    create = create.replace("CREATE TABLE records (", "CREATE TABLE records (\"前\" TEXT, ", 1)
    create = create.rstrip(")") + ", \"後\" TEXT)"
    return create + ";\n" + indexes


def arguments():
    """The program, the number of vehicles and of rounds, from the command line."""
    parser = argparse.ArgumentParser()
    parser.add_argument("mivora")
    parser.add_argument("--vehicles", type=int, default=100000)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    return os.path.abspath(args.mivora), args


def main():
    mivora, args = arguments()

    work = tempfile.mkdtemp(prefix="mivora-ratio-")
    try:
        program = os.path.join(work, "program")
        subprocess.run([mivora, "init", program], check=True, stdout=subprocess.DEVNULL)
        tables = os.path.join(program, "CARDATA")
        pristine = os.path.join(work, "pristine")
        shutil.copytree(tables, pristine)
        data = os.path.join(work, "vehicles.CSV")
        write_csv(data, args.vehicles)
        schema = shell_schema(tables)
        print("%d vehicles, %.1f MB of CSV" % (args.vehicles, os.path.getsize(data) / 1e6))

        times = {"restore": [], "shell import": [], "backup": [], "shell export": []}
        peaks = {"restore": 0, "backup": 0}
        for _ in range(args.rounds):
            shutil.rmtree(tables)
            shutil.copytree(pristine, tables)
            times["restore"].append(timed([mivora, "restore", data], program))

            shell_db = os.path.join(work, "shell.db")
            if os.path.exists(shell_db):
                os.remove(shell_db)
            subprocess.run(["sqlite3", shell_db], input=schema, text=True, check=True)
            times["shell import"].append(timed(
                ["sqlite3", shell_db, "BEGIN", ".import --csv " + data + " records", "COMMIT"],
                work))

            out = os.path.join(work, "out.csv")
            times["backup"].append(timed([mivora, "backup", out, "--row", "1"], program))
            with open(os.path.join(work, "shell-out.csv"), "wb") as sink:
                times["shell export"].append(timed(
                    ["sqlite3", "-csv", os.path.join(tables, "INDATA.db"),
                     "SELECT * FROM records"], work, sink))

        shutil.rmtree(tables)
        shutil.copytree(pristine, tables)
        peaks["restore"] = peak_of([mivora, "restore", data], program)
        peaks["backup"] = peak_of([mivora, "backup", os.path.join(work, "out.csv"), "--row", "1"],
                                  program)

        median = {name: statistics.median(values) for name, values in times.items()}
        for name in times:
            print("%-13s median %.3f s  (%s)" % (name, median[name],
                                                 ", ".join("%.3f" % t for t in times[name])))
        print("restore / shell import = %.2f" % (median["restore"] / median["shell import"]))
        print("backup / shell export  = %.2f" % (median["backup"] / median["shell export"]))
        print("peak resident: restore %.1f MB, backup %.1f MB" %
              (peaks["restore"] / 1024, peaks["backup"] / 1024))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
