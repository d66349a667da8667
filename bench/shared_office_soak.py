#!/usr/bin/env python3
"""Two PCs on one server, in bounded rounds, every page and backup checked.

Starts a PostgreSQL server of its own (scripts/pgserver.sh), makes the sample
program folder of PC A on it (`init --server`) and of PC B (`init --join`), both
with the sibling program present, so that the second layout is a cost statement.
First PC A alone prints every record with both layouts and backs the vehicles up:
those are the one-PC results. Then each round gives both PCs at once one of:
  print    one record with a layout chosen at random;
  all      every record with a layout (one round in ten);
  backup   all vehicles to CSV;
  restore  the one-PC backup back (the same vehicles under new row ids);
  edit     a new 印刷名 for a layout (psql, as the designer of a third PC).
A page that differs from the one-PC page, a backup that differs from the one-PC
backup, and a print refused with nobody editing the records it prints are
counted. A command may fail and say why (a lock held too long); it is counted
apart. Prints the figures; exits 1 when any page or backup differs.

    python3 bench/shared_office_soak.py BUILD/mivora [--rounds N] [--seed N]
"""

import argparse
import collections
import os
import random
import shutil
import subprocess
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LAYOUTS = (1, 2)


def page_texts(pdf):
    """The text of each page of a PDF."""
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], check=True,
                          capture_output=True, text=True).stdout
    return text.rstrip("\f").split("\f")


class Pc:
    def __init__(self, mivora, folder, work, name):
        self.mivora, self.folder, self.work, self.name = mivora, folder, work, name
        self.count = 0

    def start(self, *args):
        return subprocess.Popen([self.mivora] + list(args), cwd=self.folder,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def output(self, suffix):
        self.count += 1
        return os.path.join(self.work, "%s-%d%s" % (self.name, self.count, suffix))


def one_pc_results(pc, records):
    pages = {}
    for layout in LAYOUTS:
        pdf = pc.output(".pdf")
        run = pc.start("print", "--pdf", pdf, "--layout", str(layout), "--all")
        _, err = run.communicate()
        if run.returncode != 0:
            raise SystemExit("one-PC print failed: " + err)
        pages[layout] = page_texts(pdf)
        if len(pages[layout]) != records:
            raise SystemExit("one-PC print gave %d pages" % len(pages[layout]))
    backup = os.path.join(pc.work, "one-pc.CSV")
    run = pc.start("backup", backup, "--row", "1")
    _, err = run.communicate()
    if run.returncode != 0:
        raise SystemExit("one-PC backup failed: " + err)
    with open(backup, "rb") as f:
        return pages, f.read(), backup


def choose(rng, records):
    kind = rng.choice(["print", "print", "all", "backup", "restore", "edit"])
    if kind == "all" and rng.random() > 0.3:
        kind = "print"
    return kind, rng.choice(LAYOUTS), rng.randint(1, records)


def start(pc, server, kind, layout, record, reference_backup):
    if kind == "print":
        pdf = pc.output(".pdf")
        return pdf, pc.start("print", "--pdf", pdf, "--layout", str(layout), "--record",
                             str(record))
    if kind == "all":
        pdf = pc.output(".pdf")
        return pdf, pc.start("print", "--pdf", pdf, "--layout", str(layout), "--all")
    if kind == "backup":
        csv = pc.output(".CSV")
        return csv, pc.start("backup", csv, "--row", "1")
    if kind == "restore":
        return None, pc.start("restore", reference_backup, "--row", "1")
    name = "編集%d" % random.randint(0, 10 ** 6)
    return None, subprocess.Popen(
        ["psql", "-X", "-q", server, "-c",
         'UPDATE "PrtData" SET "印刷名" = \'%s\' WHERE rowid = (SELECT rowid FROM "PrtData" '
         'ORDER BY rowid OFFSET %d LIMIT 1)' % (name, layout - 1)],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


def judge(figures, kind, layout, record, output, run, pages, backup, editing):
    _, err = run.communicate()
    figures["runs " + kind] += 1
    if run.returncode != 0:
        if kind in ("print", "all") and not editing and "他の端末" in err:
            figures["refused prints"] += 1
        else:
            figures["failed, said why"] += 1
        figures["messages"].add(err.strip().splitlines()[-1] if err.strip() else "(none)")
        return
    if kind in ("print", "all"):
        got = page_texts(output)
        want = pages[layout] if kind == "all" else [pages[layout][record - 1]]
        if got != want:
            figures["mismatched pages"] += 1
        os.remove(output)
    elif kind == "backup":
        with open(output, "rb") as f:
            data = f.read()
        if not data:
            figures["empty backups"] += 1
        elif data != backup:
            figures["mismatched backups"] += 1
        os.remove(output)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mivora")
    parser.add_argument("--rounds", type=int, default=200)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    mivora = os.path.abspath(args.mivora)
    rng = random.Random(args.seed)

    work = tempfile.mkdtemp(prefix="mivora-soak-")
    os.chmod(work, 0o755)  # the server runs as the user postgres
    script = os.path.join(ROOT, "scripts", "pgserver.sh")
    socket = os.path.join(work, "pg")
    server = subprocess.run(["bash", script, "start", socket], check=True, capture_output=True,
                            text=True).stdout.strip().splitlines()[-1]
    try:
        folders = {}
        for name, how in (("A", "--server"), ("B", "--join")):
            folders[name] = os.path.join(work, name)
            subprocess.run([mivora, "init", how, server, folders[name]], check=True,
                           stdout=subprocess.DEVNULL)
            open(os.path.join(folders[name], "Tessaly.exe"), "w").close()
        pcs = [Pc(mivora, folders[name], work, name) for name in ("A", "B")]
        records = int(subprocess.run(
            ["psql", "-X", "-At", server, "-c", 'SELECT count(*) FROM "INDATA"'],
            check=True, capture_output=True, text=True).stdout)
        pages, backup, reference = one_pc_results(pcs[0], records)

        figures = collections.Counter()
        figures["messages"] = set()
        for _ in range(args.rounds):
            chosen = [choose(rng, records) for _ in pcs]
            editing = any(kind == "edit" for kind, _, _ in chosen)
            started = [start(pc, server, *what, reference) for pc, what in zip(pcs, chosen)]
            for (kind, layout, record), (output, run) in zip(chosen, started):
                judge(figures, kind, layout, record, output, run, pages, backup, editing)
        messages = figures.pop("messages")
        print("%d rounds, %d vehicles" % (args.rounds, records))
        for key in sorted(figures):
            print("  %-20s %d" % (key, figures[key]))
        for message in sorted(messages):
            print("  said: " + message)
        bad = figures["mismatched pages"] + figures["mismatched backups"] + \
            figures["empty backups"] + figures["refused prints"]
        return 1 if bad else 0
    finally:
        subprocess.run(["bash", script, "stop", socket], check=False, capture_output=True)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    raise SystemExit(main())
