#!/usr/bin/python3
"""Every extractor loads into PostgreSQL the calls it loads into SQLite.

The SQLite calls are compared with the text lines by each program's own
tests; here each program loads a generated file into a SQLite file and,
twice, into a new database on the test server (SUITE_PG_URL_FILE names its
address), and the two tables must hold the same rows: every column, NULLs
included, and no call twice after the second load.

usage: postgres_loads_test.py BINDIR
"""
import os
import sqlite3
import subprocess
import sys
import tempfile

PROGRAMS = [("vantor", "ewsd", "ewsd_calls"), ("ostrel", "ocb", "ocb_calls"),
            ("kelvan", "cdot", "cdot_calls"), ("pardel", "axe", "axe_calls")]


def main():
    bindir = os.path.abspath(sys.argv[1])
    url_file = os.environ.get("SUITE_PG_URL_FILE", "")
    skipped = os.path.join(os.path.dirname(url_file), "skipped")
    if not url_file or os.path.exists(skipped) or not os.path.exists(url_file):
        print("skipped: no PostgreSQL test server")
        sys.exit(77)
    server = open(url_file).read().strip()
    admin = server + "/postgres"
    url = server + "/loads_test"

    def psql(target, sql):
        run = subprocess.run(["psql", "-X", "-q", "-At", "-F", "\t", "-d", target, "-c", sql],
                             capture_output=True, text=True)
        if run.returncode != 0:
            sys.exit(f"psql: {run.stderr}")
        return run.stdout

    psql(admin, "DROP DATABASE IF EXISTS loads_test")
    psql(admin, "CREATE DATABASE loads_test")
    with tempfile.TemporaryDirectory() as folder:
        db = os.path.join(folder, "calls.db")
        for program, fmt, table in PROGRAMS:
            sample = os.path.join(folder, fmt + ".dat")
            subprocess.run([os.path.join(bindir, "cdrgen"), fmt, sample, "--size", "300K",
                            "--seed", "3"], check=True, stdout=subprocess.DEVNULL)
            exe = os.path.join(bindir, program)
            runs = [[exe, "extract", "--quiet", "--format", "sqlite", "-o", db, sample]]
            runs += [[exe, "extract", "--quiet", "--format", "postgres", "--db", url, sample]] * 2
            for command in runs:
                run = subprocess.run(command, capture_output=True, text=True)
                if run.returncode != 0:
                    sys.exit(f"{' '.join(command)}: status {run.returncode}: {run.stderr}")
            con = sqlite3.connect(db)
            names = [r[1] for r in con.execute(f"PRAGMA table_info({table})")][1:]
            expected = ["\t".join("" if v is None else str(v) for v in row) for row in
                        con.execute(f"SELECT {', '.join(chr(34) + n + chr(34) for n in names)} "
                                    f"FROM {table} ORDER BY record_no")]
            shown = ["to_char(call_start, 'YYYY-MM-DD\"T\"HH24:MI:SS')" if n == "call_start"
                     else '"' + n + '"' for n in names]
            got = psql(url, f"SELECT {', '.join(shown)} FROM {table} ORDER BY record_no")
            got = got.split("\n")[:-1]
            if len(expected) < 100 or got != expected:
                diff = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b), None)
                sys.exit(f"{program}: {len(got)} rows in PostgreSQL, {len(expected)} in SQLite; "
                         f"first difference at {diff}: "
                         f"{got[diff] if diff is not None else ''!r} "
                         f"!= {expected[diff] if diff is not None else ''!r}")
            files = psql(url, f"SELECT program, records FROM files WHERE program = '{program}'")
            if files != f"{program}\t{len(expected)}\n":
                sys.exit(f"{program}: files row {files!r}")
            print(f"{program}: {len(expected)} calls alike")
    psql(admin, "DROP DATABASE loads_test")


if __name__ == "__main__":
    main()
