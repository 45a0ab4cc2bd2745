#!/usr/bin/env python3
"""Converts texts with two builds of zelvato-convert and compares what they write.

    scripts/compare-outputs.py OLD NEW [TEXT...]

Every TEXT (by default the Aozora Bunko works in /work/shared/texts/aozora and
the texts of tests/data/convert) is converted with each option set below by
both converters, each run in a folder of its own; standard output, standard
error, the exit status and every file written must be the same bytes. An EPUB
is compared entry by entry, unzipped, with its modification time left out (the
book says when it was made). Prints one line per difference and the count of
runs compared; exits 1 when anything differs.
"""
import glob
import os
import re
import subprocess
import sys
import tempfile
import zipfile

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Each set: its name and its arguments; "@" stands for the run's folder, which
# holds an empty folder "pages" for the page files.
OPTION_SETS = [
    ("plain", []),
    ("rules and notation", ["--kinsoku", "--tate-chu-yoko", "--aozora"]),
    ("flowing single file", ["--style=flow", "--aozora", "--single=@/out.html"]),
    ("flowing pages",
     ["--style=flow", "--aozora", "--pages=@/pages", "--base-name=f", "--page-links", "--page-numbers"]),
    ("epub", ["--aozora", "--epub=@/book.epub"]),
    ("epub with rules", ["--aozora", "--kinsoku", "--tate-chu-yoko", "--epub=@/book.epub"]),
    ("pages with links and numbers",
     ["--aozora", "--pages=@/pages", "--base-name=p", "--page-links", "--page-numbers", "--columns-per-page=3"]),
    ("utf-8 single file with preview", ["--encoding=utf-8", "--single=@/out.html", "--preview=@/preview.html"]),
    ("look-alike forms", ["--double-brackets", "--vertical-forms=unicode", "--aozora", "--single=@/out.html"]),
    ("editor's notes, no ruby", ["--editor-notes=show", "--ruby=drop", "--aozora", "--single=@/out.html"]),
    ("accessible text", ["--accessible-text", "--aozora", "--kinsoku", "--single=@/out.html"]),
    ("font form with bars and rules",
     ["--no-css", "--no-center", "--grid", "--rule", "--column-gap=9", "--chars-per-line=30", "--lines=8",
      "--no-kanji-numerals", "--tab-width=4", "--single=@/out.html"]),
    ("manuscript sheets", ["--manuscript", "--aozora", "--verbose", "--single=@/out.html"]),
    ("notation report", ["--aozora", "--verbose", "--title=題", "--body=<BODY>", "--pages=@/pages", "--base-name=n"]),
]


def texts(given):
    if given:
        return given
    found = sorted(glob.glob("/work/shared/texts/aozora/*.txt"))
    found += sorted(glob.glob(os.path.join(REPO, "tests/data/convert/*.txt")))
    return found


def files_in(folder):
    out = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            rel = os.path.relpath(path, folder)
            with open(path, "rb") as f:
                out[rel] = f.read()
    return out


MODIFIED = re.compile(rb'<meta property="dcterms:modified">[^<]*</meta>')


def epub_entries(data, where):
    path = os.path.join(where, "compare.epub")
    with open(path, "wb") as f:
        f.write(data)
    entries = []
    with zipfile.ZipFile(path) as book:
        for info in book.infolist():
            entries.append((info.filename, info.compress_type, MODIFIED.sub(b"", book.read(info))))
    os.remove(path)
    return entries


def run(converter, args, text, folder):
    argv = [converter] + [a.replace("@", folder) for a in args] + [text]
    done = subprocess.run(argv, cwd=folder, capture_output=True, timeout=600)
    written = files_in(folder)
    return done.returncode, done.stdout, done.stderr.replace(folder.encode(), b"@"), written


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    old, new = sys.argv[1], sys.argv[2]
    compared = differences = converted = files = 0
    with tempfile.TemporaryDirectory() as work:
        for text in texts(sys.argv[3:]):
            for name, args in OPTION_SETS:
                a, b = os.path.join(work, "old"), os.path.join(work, "new")
                for folder in (a, b):
                    os.makedirs(os.path.join(folder, "pages"))
                ra, rb = run(old, args, text, a), run(new, args, text, b)
                compared += 1
                converted += ra[0] == 0
                files += len(ra[3])
                what = f"{os.path.basename(text)} [{name}]"
                for label, x, y in (("exit status", ra[0], rb[0]), ("standard output", ra[1], rb[1]),
                                    ("standard error", ra[2], rb[2])):
                    if x != y:
                        differences += 1
                        print(f"{what}: {label} differs")
                if sorted(ra[3]) != sorted(rb[3]):
                    differences += 1
                    print(f"{what}: files differ: {sorted(ra[3])} against {sorted(rb[3])}")
                for file in sorted(set(ra[3]) & set(rb[3])):
                    x, y = ra[3][file], rb[3][file]
                    if file.endswith(".epub"):
                        x, y = epub_entries(x, work), epub_entries(y, work)
                    if x != y:
                        differences += 1
                        print(f"{what}: {file} differs")
                subprocess.run(["rm", "-rf", a, b], check=True)
    print(f"{compared} runs compared ({converted} converted, {files} files written by each), "
          f"{differences} differences")
    return 0 if differences == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
