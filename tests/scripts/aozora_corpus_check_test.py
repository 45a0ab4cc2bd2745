#!/usr/bin/env python3
"""The corpus check run as its users run it: on real works its tables are whole
and it reads every grid block back; on a text with faults planted in it, it
finds each of them in every medium, with the line they stand on.

usage: aozora_corpus_check_test.py CHECK CONVERTER PLANTED WORK...
"""
import re
import subprocess
import sys

# The planted text (tests/data/aozora/planted_faults.txt): an annotation never
# closed (the line ends it, so no medium may show its notation), a line of
# forty 。 and one of forty … (no line breaking can keep them from beginning a
# line), and an annotation of no form the annotation manual knows.
PLANTED = [
    # (table, row, column, what the cell must say, as a pattern)
    ("Raw notation that reached the reader", "［＃", "grid", "0 in 0 texts"),
    ("Raw notation that reached the reader", "［＃", "flow", "0 in 0 texts"),
    ("Raw notation that reached the reader", "［＃", "epub", "0 in 0 texts"),
    ("Raw notation that reached the reader", "《", "grid", "0 in 0 texts"),
    ("Line-breaking faults in the grid", "行頭の句読点", "first example", r".*planted_faults\.txt line 11: .*"),
    ("Line-breaking faults in the grid", "行頭の … ‥", "first example", r".*planted_faults\.txt line 12: .*"),
    ("Line-breaking faults in the grid", "分離禁止（……‥‥——）の分割", "first example", r".*planted_faults\.txt line 12: .*"),
    ("Line-breaking faults in the grid", "行末の始め括弧", "texts", "0"),
    ("most frequent unread forms", "［＃試験用の未知の形］", "kind", "その他（注記一覧にない形）"),
    ("Notation per kind", "ルビ《》", "read %", r"100\.0 %"),
]


def tables(report):
    """Every table of the report by its heading, checked to be well formed:
    a header, a separator of as many columns, rows of as many cells."""
    found = {}
    for heading, body in re.findall(r"^### (.+)\n((?:\|.*\n?)+)", report, re.M):
        lines = body.strip("\n").split("\n")
        header = [cell.strip() for cell in lines[0].strip("|").split(" | ")]
        separator = lines[1].strip("|").split("|")
        assert len(separator) == len(header) and all(re.fullmatch(r"---:?", s) for s in separator), lines[1]
        rows = [re.split(r"(?<!\\)\|", line.strip()[1:-1]) for line in lines[2:]]
        for row in rows:
            assert len(row) == len(header), f"{heading}: {row}"
        found[heading] = (header, [[cell.strip() for cell in row] for row in rows])
    return found


def cell(found, table, row, column):
    heading = next(h for h in found if table in h)
    header, rows = found[heading]
    at = next(i for i, name in enumerate(header) if name.startswith(column))
    return next(r[at] for r in rows if r[0] == row)


def run(check, converter, *texts):
    done = subprocess.run([sys.executable, check, converter, *texts, "--every-option", "--per-text", "--forms=5"],
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return tables(done.stdout)


def main():
    check, converter, planted, works = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    failures = []
    found = run(check, converter, planted)
    for table, row, column, expected in PLANTED:
        got = cell(found, table, row, column)
        if not re.fullmatch(expected, got):
            failures.append(f"{table} / {row} / {column}: {got!r}, expected {expected!r}")
    # Real works: every block read back, the notation counted, every table whole.
    found = run(check, converter, *works)
    for header, rows in [found["Per text"]]:
        for row in rows:
            if row[header.index("misaligned blocks")] != "0":
                failures.append(f"{row[0]}: blocks read back wrongly")
    for kind in ("ルビ《》", "見出し", "**all**"):
        if int(cell(found, "Notation per kind", kind, "in the sources")) == 0:
            failures.append(f"{kind}: none counted in the works")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
