#!/usr/bin/env python3
"""Per-kind table of Aozora notation over real texts: how many occurrences of
each kind the source holds (counted here, independently of the converter), and
how many of them the converter did not read (its --verbose list).

usage: aozora_notation_table.py CONVERTER TEXT...
"""
import re
import subprocess
import sys
from collections import Counter

KINDS = [
    ("地付き・字上げ", r"^(ここから)?地付き$|^(ここから)?地から.+字上げ$|^ここで(地付き|字上げ)終わり$"),
    ("見出し", r"見出し"),
    ("字下げ（折り返し）", r"折り返して"),
    ("字詰め", r"字詰め"),
    ("文字サイズ", r"段階(小さな|大きな)文字|(小さな|大きな)文字終わり"),
    ("太字・斜体・罫囲み", r"太字|斜体|罫囲み"),
    ("横組み・上付き・下付き・小書き", r"横組み|上付き|下付き|小書き"),
    ("返り点", r"^[レ一二三四上中下甲乙丙丁天地人]{1,2}$"),
    ("訓点送り仮名", r"^（[^）]+）$"),
    ("傍点", r"傍点"),
    ("傍線", r"傍線|鎖線|破線|波線"),
    ("挿絵", r"入る$"),
    ("割り注", r"割り注"),
    ("縦中横", r"縦中横"),
    ("改段", r"^改段$"),
    ("ページの左右中央", r"^ページの左右中央$"),
    ("校訂注記・左ルビ", r"ママ|底本では|の注記|のルビ|注は.*とする$|^「.+」の.+に.+あり$"),
]
CODE = re.compile(r"第[34]水準|U\+[0-9A-Fa-f]{4}|[12]-\d{1,2}-\d{1,2}")
ACCENT = re.compile(r"〔[\x20-\x7e]*[A-Za-z][`'^~:&,/_][\x20-\x7e]*〕")


def annotations(text):
    """Every top-level ［＃…］ body, and whether a ※ stands before it."""
    out = []
    for line in text.splitlines():
        i = 0
        while True:
            i = line.find("［＃", i)
            if i < 0:
                break
            depth, j = 0, i
            while j < len(line):
                if line[j] == "［":
                    depth += 1
                elif line[j] == "］":
                    depth -= 1
                    if depth == 0:
                        break
                j += 1
            if j >= len(line):
                break
            out.append((line[i + 2 : j], i > 0 and line[i - 1] == "※"))
            i = j + 1
    return out


def kind_of(body, gaiji):
    if gaiji:
        return "外字（コード）" if CODE.search(body) else "外字（説明のみ）"
    for name, pattern in KINDS:
        if re.search(pattern, body):
            return name
    return None


def main():
    converter, texts = sys.argv[1], sys.argv[2:]
    total, unread, raw = Counter(), Counter(), Counter()
    for path in texts:
        text = open(path, encoding="cp932").read()
        for body, gaiji in annotations(text):
            kind = kind_of(body, gaiji)
            if kind:
                total[kind] += 1
        total["〔〕アクセント"] += len(ACCENT.findall(text))
        report = subprocess.run(
            [converter, "--aozora", "--verbose", "--single=/tmp/aozora_table_grid.html", path],
            capture_output=True, text=True).stderr
        composed = re.search(r"  アクセント分解\t(\d+)", report)
        unread["〔〕アクセント"] += len(ACCENT.findall(text)) - (int(composed.group(1)) if composed else 0)
        # What shows raw in the flowing text: notation that nothing read.
        flow = subprocess.run(
            [converter, "--aozora", "--style=flow", "--encoding=utf-8", "--single=/tmp/aozora_table.html", path],
            capture_output=True).returncode
        shown = open("/tmp/aozora_table.html", encoding="utf-8").read() if flow == 0 else ""
        raw["［＃"] += shown.count("［＃")
        raw["〔〕アクセント"] += len(ACCENT.findall(shown))
        listed = report.split("annotations not read:\n", 1)
        if len(listed) == 2:
            for line in listed[1].splitlines():
                m = re.match(r"  ［＃(.*)］\t(\d+)$", line)
                if m:
                    kind = kind_of(m.group(1), False)
                    if kind:
                        unread[kind] += int(m.group(2))
    print("| kind | occurrences | not read | rendered |")
    print("|---|---:|---:|---:|")
    for kind in sorted(total, key=lambda k: -total[k]):
        n = total[kind]
        print(f"| {kind} | {n} | {unread[kind]} | {100 * (n - unread[kind]) / n:.1f} % |")
    print(f"\nraw in the flowing text: ［＃ {raw['［＃']} times, 〔〕 accent notation {raw['〔〕アクセント']} times")


if __name__ == "__main__":
    main()
