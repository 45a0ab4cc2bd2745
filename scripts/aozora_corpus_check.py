#!/usr/bin/env python3
"""Corpus check of the Aozora Bunko reader and of the grid's line breaking.

Converts a set of Aozora Bunko texts and writes Markdown tables of
  * the notation per kind: how many annotations the sources hold (counted here
    from the annotation manual's forms, not by the converter), how many the
    converter read and did not read (its --verbose report), and the most
    frequent forms it did not read;
  * raw notation that reached the reader in each medium (grid, flowing page,
    EPUB): ［＃, ※［＃, 《, 》, ｜, the くの字点 ／＼ and 〔…〕 accents;
  * line-breaking faults read back from the grid page itself.

The grid comes from one --out-dir batch (timed, its peak memory measured); the
flowing page and the EPUB come from one process per text, two at a time, since
only a single run reports the notation it read.

usage: aozora_corpus_check.py CONVERTER PATH... [--media=grid,flow,epub]
       [--every-option] [--option=OPT]... [--sample=N [--seed=S]] [--forms=N]
       [--per-text] [--work=DIR]
PATH is a text or a folder searched for *.txt.
"""
import argparse
import html
import os
import random
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from bisect import bisect_right
from collections import Counter, namedtuple
from concurrent.futures import ProcessPoolExecutor
from pathlib import Path

# Options of the converter that apply to the grid, the flowing page and the EPUB alike.
EVERY_OPTION = ["--kinsoku", "--tate-chu-yoko", "--editor-notes=show", "--double-brackets", "--grid", "--rule"]

# ---------------------------------------------------------------- the sources

# Kinds of annotation, tried in order on the annotation's form (its quoted
# targets as 「X」, its digits as N), after the sections of the annotation manual.
KINDS = [(name, re.compile(pattern)) for name, pattern in [
    ("校訂注記・ママ", r"底本では|ママ|初出|誤植|誤記|脱落|欠落|では「X」|の注記|注記付き|著者註|注は"),
    ("ルビ（注記）", r"ルビ"),
    ("傍記", r"傍記"),
    ("縦中横", r"縦中横"),
    ("横組み", r"横組み|横一列"),
    ("小書き", r"小書き"),
    ("上付き・下付き小文字", r"上付き|下付き"),
    ("割り注", r"割り注|^改行$"),
    ("見出し", r"見出"),
    ("改ページ・改丁・改段", r"^(改ページ|改頁|改丁|改見開き|改段)$"),
    ("ページの左右中央", r"左右中央"),
    ("字下げ（凹凸）", r"折り返して"),
    ("字下げ（ブロック）", r"^ここから.*字下げ|^ここで字下げ|字下げ終わり"),
    ("字下げ（1行）", r"字下げ$"),
    ("字詰め", r"字詰め"),
    ("地付き", r"地付き"),
    ("地から字上げ", r"字上げ"),
    ("段組み・字組み", r"段組み|字組み"),
    ("罫囲み", r"罫囲み"),
    ("文字サイズ", r"段階(小さな|大きな)文字|(小さな|大きな)文字終わり"),
    ("太字", r"太字"),
    ("斜体", r"斜体"),
    ("書体", r"ゴシック|ゴチック|明朝|書体|楷書|清朝|教科書体|アンチック"),
    ("傍点", r"傍点"),
    ("傍線", r"傍線|鎖線|破線|波線"),
    ("挿絵", r"入る$"),
    ("キャプション", r"キャプション"),
    ("返り点", r"^[一二三四上中下甲乙丙丁天地人レ]{1,3}$"),
    ("訓点送り仮名", r"^（[^（）]+）$"),
    ("字形の注記（ローマ数字・分数…）", r"ローマ数字|分数|ドット付き|^「X」は.*N-N-N"),
]]
OTHER = "その他（注記一覧にない形）"
# The converter's own names for what it read, as the kinds above; a name that
# covers several kinds is shown for the group.
READ_AS = {
    "外字": ("外字（コード）",), "外字（説明のみ）": ("外字（説明のみ）",), "校訂注記": ("校訂注記・ママ",),
    "ルビ": ("ルビ（注記）",), "行右小書き": ("小書き",), "行左小書き": ("小書き",), "小書き": ("小書き",),
    "上付き小文字": ("上付き・下付き小文字",), "下付き小文字": ("上付き・下付き小文字",),
    "改ページ": ("改ページ・改丁・改段",), "改段": ("改ページ・改丁・改段",),
    "字下げ": ("字下げ（1行）", "字下げ（ブロック）", "字下げ（凹凸）"), "地付き・字上げ": ("地付き", "地から字上げ"),
}
GAIJI_CODE = re.compile(r"[12]-\d{1,2}-\d{1,2}|U\+[0-9A-Fa-f]{4,5}|第[34]水準")
RUBY = re.compile(r"《[^《》]*》")
# Aozora's accent notation: a letter and the mark after it (e' é, u: ü, c, ç, AE& Æ ...).
ACCENT = re.compile(r"〔[^〔〕\n]*?(?:[AEIOUYaeiouy][`'^:~_]|[Cc],|[Nn]~|[AaOo]/|[AaOoSs]&)[^〔〕\n]*?〕")
LITERAL_CODES = {"《": "1-1-52", "》": "1-1-53", "｜": "1-1-35"}


def body_lines(text):
    """(number, line) of every line but the header's explanation of the symbols
    (between the first two rules of hyphens), which quotes notation it does not use."""
    lines = text.splitlines()
    rules = [i for i, line in enumerate(lines[:200]) if re.fullmatch(r"-{20,}\s*", line)]
    skip = range(rules[0], rules[1] + 1) if len(rules) >= 2 else range(0)
    return [(i + 1, line) for i, line in enumerate(lines) if i not in skip]


def annotations(line):
    """(start, end, body, gaiji) of every top-level ［＃…］ of the line; gaiji when ※ precedes it."""
    found, i = [], 0
    while (i := line.find("［＃", i)) >= 0:
        depth = 0
        for j in range(i, len(line)):
            depth += {"［": 1, "］": -1}.get(line[j], 0)
            if depth == 0:
                break
        else:
            break
        gaiji = i > 0 and line[i - 1] == "※"
        found.append((i - gaiji, j + 1, line[i + 2:j], gaiji))
        i = j + 1
    return found


def form_of(body):
    """The annotation's form: each quoted target (brackets inside it too) as 「X」, digits as N."""
    out, depth = [], 0
    for c in body:
        if c == "「":
            out.extend("「X" if depth == 0 else "")
            depth += 1
        elif c == "」" and depth > 0:
            depth -= 1
            out.extend("」" if depth == 0 else "")
        elif depth == 0:
            out.append(c)
    return re.sub(r"[0-9０-９]+", "N", "".join(out))


def kind_of(body, gaiji=False):
    if gaiji:
        return "外字（コード）" if GAIJI_CODE.search(body) else "外字（説明のみ）"
    form = form_of(body)
    return next((name for name, pattern in KINDS if pattern.search(form)), OTHER)


def census(text):
    """What the source holds, read here without the converter: annotations per
    kind, ruby, くの字点 and accents; the 《》｜ that are text rather than
    notation (so that the outputs' own are not taken for raw notation); and
    the ruby readings with their bases, for the ruby-split check."""
    kinds, literal, rubies = Counter(), Counter(), {}
    for _, line in body_lines(text):
        found = annotations(line)
        for _, _, body, gaiji in found:
            kinds[kind_of(body, gaiji)] += 1
            for mark, code in LITERAL_CODES.items():
                literal[mark] += gaiji and code in body
        # A gaiji goes; any other annotation ends the run of one script that a
        # ruby without ｜ takes for its base (天［＃（ノ）］窟戸《いはと》: the base is 窟戸).
        for start, end, _, gaiji in reversed(found):
            line = line[:start] + ("" if gaiji else "\0") + line[end:]
        kinds["ルビ《》"] += len(RUBY.findall(line))
        kinds["くの字点 ／＼"] += line.count("／＼") + line.count("／″＼")
        kinds["アクセント〔〕"] += len(ACCENT.findall(line))
        last = 0
        for m in RUBY.finditer(line):
            bar = line.rfind("｜", last, m.start())
            base = line[bar + 1:m.start()].replace("\0", "") if bar >= 0 else implicit_base(line[last:m.start()])
            literal["｜"] -= bar >= 0
            if base:
                rubies.setdefault(m.group()[1:-1], []).append(base)
            last = m.end()
        line = line.replace("\0", "")
        stripped = RUBY.sub("", line)
        for mark in "《》｜":
            literal[mark] += stripped.count(mark)
    return kinds, literal, rubies


def implicit_base(before):
    """The characters a ruby without ｜ covers: the run of one script before it."""
    def script(c):
        return ("kanji" if "\u3400" <= c <= "\u9fff" or c in "々〆〇ヶ仝※" else "hira" if "\u3040" <= c <= "\u309f"
                else "kata" if "\u30a0" <= c <= "\u30ff" else "latin" if c.isalnum() else None)
    start = len(before)
    while start > 0 and script(before[start - 1]) and script(before[start - 1]) == script(before[-1]):
        start -= 1
    return before[start:]


# ---------------------------------------------------------------- the converter

def batch_groups(paths):
    """The batch refuses two inputs of one name (they would share an output):
    a text whose name is taken goes to the next group. A group also ends
    before its command line outgrows what the system takes."""
    limit = os.sysconf("SC_ARG_MAX") - sum(len(k) + len(v) + 2 for k, v in os.environ.items()) - 65536
    groups = []
    for path in paths:
        group = next((g for g in groups if path.stem not in g[0] and g[2] + len(str(path)) < limit), None)
        if group is None:
            groups.append(group := [set(), [], 0])
        group[0].add(path.stem)
        group[1].append(path)
        group[2] += len(str(path)) + 1
    return [members for _, members, _ in groups]


def run_batch(converter, paths, options, work):
    """The grid of every text through --out-dir: outputs, failures, wall time,
    and the peak resident memory of the batch process."""
    outputs, failures, started, groups = {}, [], time.monotonic(), batch_groups(paths)
    for g, group in enumerate(groups):
        folder = work / f"grid{g}"
        folder.mkdir(parents=True, exist_ok=True)
        run = subprocess.run([converter, f"--out-dir={folder}", *options, *map(str, group)],
                             capture_output=True, text=True)
        for line in run.stderr.splitlines():
            failures.append(f"batch {g} (exit {run.returncode}): {line}")
        for path in group:
            outputs[path] = folder / f"{path.stem}.html"
    peak_kb = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    return outputs, failures, time.monotonic() - started, peak_kb, len(groups)


def parse_report(stderr):
    """The --verbose report: the converter's count of what it read, by its kind
    names, and every annotation it did not read with its count."""
    read, unread, section = Counter(), Counter(), None
    for line in stderr.splitlines():
        if not line.startswith("  "):
            section = line
            continue
        # "name<TAB>count", and for an unread annotation "［＃…］<TAB>count<TAB>line N" (or the older
        # form without the line).
        fields = line[2:].split("\t")
        if len(fields) == 3 and fields[2].startswith("line "):
            fields = fields[:2]
        name, count = "\t".join(fields[:-1]), fields[-1]
        if section == "notation read:" and count.isdigit():
            read[name] += int(count)
        elif section == "annotations not read:" and count.isdigit():
            unread[name[2:-1] if name.startswith("［＃") else name] += int(count)
    return read, unread


# ---------------------------------------------------------------- raw notation

def raw_counts(text, literal):
    """Notation that reached the reader: every ［＃ (and the ※［＃ among them),
    every 《》｜ beyond those the source holds as text, ／＼ and 〔…〕 accents."""
    raw = Counter({"［＃": text.count("［＃"), "※［＃": text.count("※［＃"),
                   "／＼": text.count("／＼") + text.count("／″＼"), "〔〕": len(ACCENT.findall(text))})
    for mark in "《》｜":
        raw[mark] = max(0, text.count(mark) - literal[mark])
    return raw


def page_text(markup):
    """The text a browser shows of a page (ruby readings included), without its head."""
    body = markup.split("<body", 1)[-1]
    return html.unescape(re.sub(r"<[^>]*>", "", body))


def epub_text(path):
    with zipfile.ZipFile(path) as book:
        return "".join(page_text(book.read(name).decode("utf-8")) for name in book.namelist()
                       if name.endswith(".xhtml") and not name.endswith("nav.xhtml"))


# ---------------------------------------------------------------- the grid read back

BLOCK = re.compile(r"<PRE[^>]*><FONT[^>]*>(?:<CENTER>)?\r\n(.*?)\r\n(?:</CENTER>)?</FONT></PRE>"
                   r"(?:<DIV[^>]*>(.*?)</DIV>)?", re.S)
# What two cells set across hold: printable ASCII (the page widens <>&" to full width).
ACROSS = {chr(c) for c in range(0x21, 0x7F)} | set("＜＞＆＂")
SPACES = " \u3000"
# Which kana a voiced or semi-voiced half-width mark composes with into one cell.
COMPOSES = {"ﾞ": set("ｳｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾊﾋﾌﾍﾎ"), "ﾟ": set("ﾊﾋﾌﾍﾎ")}


def row_cells(row, lines, bars):
    """One character per cell of a PRE row (its heading's bold taken out), line L first: '　' where the cell
    shows nothing, 'T' for two half-width characters set across, else its
    glyph (or a space for a mark pushed to one edge). A cell is three
    characters (padding or mark, glyph, padding or mark), the pair across four,
    with a bar before every cell but the first when the grid has bars."""
    step = 4 if bars else 3
    if len(row) == lines * step - bars:
        return row[1::step]
    cells, i = [], 0
    while i < len(row):
        i += bars and bool(cells)
        if row[i:i + 1] == " " and row[i + 3:i + 4] == " " and row[i + 1] in ACROSS and row[i + 2] in ACROSS:
            cells.append("T")
            i += 4
        else:
            cells.append(row[i + 1:i + 2])
            i += 3
    return "".join(cells)


# A vertical line of the grid: its block, the span of its source characters in
# the text's reading stream, whether a carriage return ended it, and its empty
# cells before the text, source spaces before the text, empty cells between
# text and empty cells after it.
Line = namedtuple("Line", "block start end ret lead spaces holes trail")


def grid_lines(markup, bars, hanging):
    """The grid page read back (`bars` between cells, a `hanging` row below
    the lines with the line-breaking rules): every vertical line of every block in reading
    order, aligned with the block's reading text (the source characters of its
    cells, a line feed where a carriage return ended a line) so that each line
    knows its characters. Returns the lines, the reading stream and the number
    of blocks whose cells and reading text did not agree."""
    lines, stream, misaligned, offset = [], [], 0, 0
    for number, match in enumerate(BLOCK.finditer(markup)):
        rows = match.group(1).replace("<B>", "").replace("</B>", "").split("\r\n")
        reading = html.unescape((match.group(2) or "").replace("<BR>", "\n"))
        count = (min(map(len, rows)) + bars) // (4 if bars else 3)
        cells = [row_cells(row, count, bars) for row in rows]
        p = 0
        for column in list(zip(*cells))[::-1]:
            start = p
            p, blanks = align_line(column, reading, p, hanging)
            ret = reading[p:p + 1] == "\n"
            if p > start or ret or any(c != "\u3000" for c in column):
                lines.append(Line(number, offset + start, offset + p, ret, *blanks))
            p += ret
        misaligned += p != len(reading) or any(len(row) != count for row in cells)
        stream.append(reading)
        offset += len(reading)
    return lines, "".join(stream), misaligned


def align_line(cells, reading, p, hanging):
    """Walks one vertical line's cells along the reading text from p: a cell
    with text takes its source characters (two for a pair across or a
    half-width kana with its voiced mark); an empty-looking cell takes a space
    when the source has one there (never the hanging cell, which holds only
    、。), else it is empty (indent, hole or the rest of the line). Returns the
    new p and (empty cells before the text, spaces before the text, empty
    cells between text, empty cells after it)."""
    lead = spaces = holes = pending = 0
    seen = False
    last = len(cells) - 1
    for i, c in enumerate(cells):
        if c == "\u3000":
            if reading[p:p + 1] in SPACES and reading[p:p + 1] and not (hanging and i == last):
                p += 1
                spaces += not seen
            elif seen:
                pending += 1
            else:
                lead += 1
            continue
        holes, pending, seen = holes + pending, 0, True
        voiced = reading[p + 1:p + 2]
        p += 2 if c == "T" or (voiced in COMPOSES and reading[p:p + 1] in COMPOSES[voiced]) else 1
    return p, (lead, spaces, holes, pending)


# ---------------------------------------------------------------- line-breaking faults

NO_BEGIN = {  # characters that must not begin a line, by the rule they break
    "行頭の閉じ括弧": set("」』）］｝〕〉》】〙〗〟’”｠»)]}"),
    "行頭の句読点": set("、。，．,."),
    "行頭の小書きの仮名": set("ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿｧｨｩｪｫｬｭｮｯ"),
    "行頭の長音記号 ー": set("ーｰ"),
    "行頭の繰り返し記号 々ゝヽ": set("々〻ゝゞヽヾ"),
    "行頭の … ‥": set("…‥"),
    "行頭の ・：；？！": set("・：；？！?!‼⁇⁈⁉"),
}
NO_END = set("「『（［｛〔〈《【〘〖〝‘“｟«([{")
INSEPARABLE = set("…‥―—")
RULES = [*NO_BEGIN, "行末の始め括弧", "分離禁止（……‥‥——）の分割", "ルビと親文字の分離", "折り返した行頭の空白",
         "余分な空きマス"]


def line_faults(lines, stream, rubies, chars_per_line):
    """Faults per (rule, inside/across blocks), and the first of each rule as
    (context before, context after) in the stream."""
    faults, examples = Counter(), {}

    def fault(rule, where, at, count=1):
        faults[rule, where] += count
        examples.setdefault(rule, (stream[max(0, at - 12):at], stream[at:at + 12]))

    # A line holds what the paragraph's fullest wrapped line holds (its indent and
    # 字詰め included): a base and ruby longer than that cannot stay on one line,
    # and a line of one cell (an indent as deep as the line) can keep nothing from its head.
    capacity, paragraph = [0] * len(lines), []
    for i, line in enumerate(lines):
        paragraph.append(i)
        if line.ret or i + 1 == len(lines):
            widest = max((lines[j].lead + lines[j].end - lines[j].start for j in paragraph if not lines[j].ret),
                         default=chars_per_line)
            for j in paragraph:
                capacity[j] = min(chars_per_line, widest)
            paragraph = []
    for i, (prev, cur) in enumerate(zip(lines, lines[1:])):
        if prev.ret or capacity[i + 1] - cur.lead <= 1:
            continue
        where = "inside" if prev.block == cur.block else "across"
        tail = stream[prev.start:prev.end].rstrip(SPACES)
        head = stream[cur.start:cur.end].lstrip(SPACES)
        # Text wraps without blanks: no hole inside a line, no space beginning the next.
        if prev.holes:
            fault("余分な空きマス", where, prev.end, prev.holes)
        if cur.spaces:
            fault("折り返した行頭の空白", where, cur.start + cur.spaces, cur.spaces)
        if not tail or not head:
            continue
        at = cur.end - len(head)
        for rule, marks in NO_BEGIN.items():
            if head[0] in marks:
                fault(rule, where, at)
        if tail[-1] in NO_END:
            fault("行末の始め括弧", where, at)
        if (tail[-1] == head[0] and head[0] in INSEPARABLE) or (tail[-1] in "／″〳〴" and head[0] in "＼〵"):
            fault("分離禁止（……‥‥——）の分割", where, at)
    # Ruby is set after its base in parentheses; both belong on one line when they fit one.
    starts = [line.start for line in lines]
    found = {}
    for m in re.finditer(r"（([^（）\n]{1,60})）", stream):
        if m.group(1) in rubies:
            found.setdefault(m.group(1), []).append(m)
    for reading, matches in found.items():
        # Each ruby with its own base when the page shows every ruby of the source, in order;
        # else the longest base the source gives this reading that stands before it.
        bases = rubies[reading]
        for k, m in enumerate(matches):
            candidates = [bases[k]] if len(matches) == len(bases) else sorted(set(bases), key=lambda b: (-len(b), b))
            for base in candidates:
                begin = m.start() - len(base)
                if stream[begin:m.start()] != base:
                    continue
                first, last = bisect_right(starts, begin) - 1, bisect_right(starts, m.end() - 1) - 1
                if first != last and len(base) + len(reading) + 2 <= capacity[last] - lines[last].lead:
                    fault("ルビと親文字の分離", "inside" if lines[first].block == lines[last].block else "across",
                          m.start())
                break
    # The lines a paragraph wraps to share one indent; a deeper one has extra
    # blank cells, unless it is the last and its text stands toward the foot (地付き, 字上げ).
    paragraph = []
    for line in lines:
        paragraph.append(line)
        if line.ret:
            rest = [wrapped.lead for wrapped in paragraph[1:]]
            usual = Counter(rest).most_common(1)[0][0] if len(rest) >= 2 else None
            for wrapped in paragraph[1:] if usual is not None else ():
                if wrapped.lead > usual and not (wrapped.ret and wrapped.trail < wrapped.lead):
                    fault("余分な空きマス", "inside", wrapped.start, wrapped.lead - usual)
            paragraph = []
    return faults, examples


def source_line(text, before, after):
    """The number of the source line a fault's context comes from, found by its
    characters around the break (with and without the ruby the grid shows in
    parentheses) in the lines with their notation left out; 0 when not found."""
    plain = [(n, RUBY.sub("", re.sub(r"※?［＃[^］]*］|｜", "", line))) for n, line in body_lines(text)]
    for strip in (lambda t: t, lambda t: re.sub(r"（[^（）]*）", "", t)):
        b, a = strip(before).split("\n")[-1], strip(after).split("\n")[0]
        for width in (6, 4, 2):
            probe = b[-width:] + a[:width]
            found = next((n for n, line in plain if len(probe) > 2 and probe in line), 0)
            if found:
                return found
    return 0


# ---------------------------------------------------------------- one text

def read_markup(path):
    """A page as written: its CR LF kept, since the grid's rows end with them."""
    with open(path, encoding="utf-8", errors="replace", newline="") as page:
        return page.read()


def check_text(task):
    """Everything measured on one text: its census, the converter's report (from
    the flowing page's run), raw notation per medium and the grid's faults."""
    path, work = task["path"], task["work"]
    converter, options, media = task["converter"], task["options"], task["media"]
    text = path.read_bytes().decode("cp932", errors="replace")
    kinds, literal, rubies = census(text)
    result = {"path": str(path), "present": kinds, "raw": {}, "faults": Counter(), "examples": {},
              "failures": [], "misaligned": 0, "unread_forms": Counter(), "unread": Counter()}
    flow = work / f"{task['index']}.html"
    run = subprocess.run([converter, "--verbose", "--style=flow", f"--single={flow}", *options, str(path)],
                         capture_output=True, text=True, errors="replace")
    if run.returncode != 0:
        result["failures"].append(f"flow: exit {run.returncode}: {run.stderr.strip()[-300:]}")
    result["read"], unread = parse_report(run.stderr)
    for body, count in unread.items():
        result["unread"][kind_of(body)] += count
        result["unread_forms"][form_of(body)] += count
    if "flow" in media and flow.exists():
        result["raw"]["flow"] = raw_counts(page_text(flow.read_text(encoding="utf-8", errors="replace")), literal)
    if "epub" in media:
        book = work / f"{task['index']}.epub"
        run = subprocess.run([converter, f"--epub={book}", *options, str(path)], capture_output=True, text=True)
        if run.returncode != 0 or not book.exists():
            result["failures"].append(f"epub: exit {run.returncode}: {run.stderr.strip()[-300:]}")
        else:
            result["raw"]["epub"] = raw_counts(epub_text(book), literal)
            book.unlink()
    grid = task.get("grid")
    if grid is not None and grid.exists():
        lines, stream, result["misaligned"] = grid_lines(read_markup(grid), task["bars"],
                                                         "--kinsoku" in task["options"])
        result["raw"]["grid"] = raw_counts(stream, literal)
        result["faults"], found = line_faults(lines, stream, rubies, task["chars_per_line"])
        result["examples"] = {rule: (source_line(text, *context), *context) for rule, context in found.items()}
        if not task["keep"]:
            grid.unlink()
    elif grid is not None:
        result["failures"].append("grid: no output from the batch")
    # Notation that is not an annotation is unread where it reached the reader.
    shown = result["raw"].get("flow") or result["raw"].get("grid") or Counter()
    for kind, mark in (("ルビ《》", "《"), ("くの字点 ／＼", "／＼"), ("アクセント〔〕", "〔〕")):
        result["unread"][kind] += shown[mark]
    if not task["keep"] and flow.exists():
        flow.unlink()
    return result


# ---------------------------------------------------------------- the tables

def table(header, rows):
    """A Markdown table; columns of numbers align right."""
    def numeric(i):
        return all(isinstance(row[i], int) or re.fullmatch(r"[\d.]+ %|–|\(?\d+.*", str(row[i])) for row in rows)
    lines = ["| " + " | ".join(header) + " |",
             "|" + "|".join("---:" if rows and numeric(i) else "---" for i in range(len(header))) + "|"]
    lines += ["| " + " | ".join(str(cell).replace("|", "\\|") for cell in row) + " |" for row in rows]
    return "\n".join(lines)


def percent(part, whole):
    return f"{100 * part / whole:.1f} %" if whole else "–"


def report(results, args, batch):
    """The Markdown report of all texts."""
    out = [f"## Aozora corpus check: {len(results)} texts",
           f"Converter options: `{' '.join(args.converter_options)}`; media: {', '.join(args.media)}."]
    if batch:
        outputs, failures, wall, peak_kb, groups = batch
        out.append(f"Grid batch (--out-dir, {groups} batch{'es' if groups > 1 else ''}): wall {wall:.1f} s, "
                   f"peak memory {peak_kb / 1024:.0f} MB.")
        out += [f"- {line}" for line in failures[:20]]
    failed = [(r["path"], f) for r in results for f in r["failures"]]
    out.append(f"Conversions that failed: {len(failed)}." + "".join(f"\n- {p}: {f}" for p, f in failed[:20]))
    present, unread, read, texts = Counter(), Counter(), Counter(), Counter()
    for r in results:
        present.update(r["present"])
        unread.update(r["unread"])
        read.update(r["read"])
        texts.update(kind for kind, n in r["present"].items() if n)
    shown, exact = {}, Counter()
    for name, count in read.items():
        kinds = READ_AS.get(name, (name,))
        for kind in kinds:
            if len(kinds) == 1:
                exact[kind] += count
            else:
                shown[kind] = f"({count} {name})"
    shown.update((kind, str(count)) for kind, count in exact.items())
    rows = []
    order = [k for k, _ in KINDS] + [OTHER, "外字（コード）", "外字（説明のみ）", "ルビ《》", "くの字点 ／＼", "アクセント〔〕"]
    for kind in sorted(set(present) | set(unread), key=lambda k: (order.index(k) if k in order else 99, k)):
        if present[kind] or unread[kind]:
            rows.append([kind, texts[kind], present[kind], shown.get(kind, "–"), unread[kind],
                         percent(max(0, present[kind] - unread[kind]), present[kind])])
    all_present, all_unread = sum(present.values()), sum(unread.values())
    rows.append(["**all**", len(results), all_present, sum(read.values()), all_unread,
                 percent(max(0, all_present - all_unread), all_present)])
    out += ["", "### Notation per kind",
            table(["kind", "texts", "in the sources", "read (--verbose)", "not read", "read %"], rows),
            "Read % is (in the sources − not read) / in the sources; a count in parentheses is the converter's "
            "for a group of kinds. Ruby, くの字点 and accents are not read where they reach the flowing page raw."]
    media = [m for m in ("grid", "flow", "epub") if m in args.media]
    raw_rows = []
    for mark in ("［＃", "※［＃", "《", "》", "｜", "／＼", "〔〕"):
        cells = []
        for medium in media:
            counts = [r["raw"][medium][mark] for r in results if medium in r["raw"]]
            cells.append(f"{sum(counts)} in {sum(1 for c in counts if c)} texts")
        raw_rows.append([mark, *cells])
    out += ["", "### Raw notation that reached the reader", table(["notation", *media], raw_rows)]
    if "grid" in media:
        out += ["", "### Line-breaking faults in the grid", fault_table(results)]
        misaligned = sum(r["misaligned"] for r in results)
        out.append(f"Blocks whose cells and reading text did not agree (read back wrongly): {misaligned}.")
    if args.forms:
        forms, form_texts = Counter(), Counter()
        for r in results:
            forms.update(r["unread_forms"])
            form_texts.update(r["unread_forms"].keys())
        out += ["", f"### The {args.forms} most frequent unread forms ({len(forms)} distinct)",
                table(["form", "kind", "occurrences", "texts"],
                      [[f"［＃{f}］", kind_of(f), n, form_texts[f]] for f, n in forms.most_common(args.forms)])]
    if args.per_text:
        rows = [[r["path"], sum(r["unread"].values()),
                 *(sum(r["raw"].get(m, Counter()).values()) for m in media),
                 sum(r["faults"].values()), r["misaligned"]] for r in results]
        out += ["", "### Per text", table(["text", "not read", *(f"raw ({m})" for m in media),
                                           "line-breaking faults", "misaligned blocks"], rows)]
    return "\n".join(out) + "\n"


def fault_table(results):
    rows = []
    for rule in RULES:
        inside = sum(r["faults"][rule, "inside"] for r in results)
        across = sum(r["faults"][rule, "across"] for r in results)
        hit = [r for r in results if r["faults"][rule, "inside"] or r["faults"][rule, "across"]]
        example = "–"
        if hit:
            line, before, after = hit[0]["examples"][rule]
            where = f"line {line}" if line else "line ?"
            example = f"{hit[0]['path']} {where}: …{before} ⏎ {after}…".replace("\n", "↵")
        rows.append([rule, inside, across, len(hit), example])
    return table(["rule", "inside blocks", "across blocks", "texts", "first example (⏎ where the line breaks)"],
                 rows)


# ---------------------------------------------------------------- main

def texts_of(paths):
    found = []
    for path in map(Path, paths):
        found += sorted(path.rglob("*.txt")) if path.is_dir() else [path]
    return found


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("converter")
    parser.add_argument("paths", nargs="+")
    parser.add_argument("--media", default="grid,flow,epub", help="comma-separated: grid, flow, epub")
    parser.add_argument("--every-option", action="store_true", help=" ".join(EVERY_OPTION))
    parser.add_argument("--option", action="append", default=[], help="a further converter option")
    parser.add_argument("--sample", type=int, help="this many texts, drawn with --seed")
    parser.add_argument("--seed", type=int, default=30)
    parser.add_argument("--forms", type=int, default=40, help="list the N most frequent unread forms")
    parser.add_argument("--per-text", action="store_true")
    parser.add_argument("--work", help="keep the outputs in this folder")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--output", help="write the report here as well")
    args = parser.parse_args(argv)
    args.media = args.media.split(",")
    texts = texts_of(args.paths)
    if args.sample and args.sample < len(texts):
        texts = sorted(random.Random(args.seed).sample(texts, args.sample))
    options = ["--aozora", "--encoding=utf-8", *(EVERY_OPTION if args.every_option else []), *args.option]
    args.converter_options = options
    work = Path(args.work) if args.work else Path(tempfile.mkdtemp(prefix="aozora_check_"))
    work.mkdir(parents=True, exist_ok=True)
    try:
        batch = None
        if "grid" in args.media:
            batch = run_batch(args.converter, texts, [*options, "--accessible-text"], work)
        per_line = next((int(o.split("=")[1]) for o in options if o.startswith("--chars-per-line=")), 25)
        tasks = [{"path": path, "index": i, "work": work, "converter": args.converter, "options": options,
                  "media": args.media, "grid": batch[0][path] if batch else None, "keep": bool(args.work),
                  "bars": "--grid" in options, "chars_per_line": per_line} for i, path in enumerate(texts)]
        with ProcessPoolExecutor(max_workers=args.jobs) as pool:
            results = list(pool.map(check_text, tasks, chunksize=4))
    finally:
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)
    text = report(results, args, batch)
    sys.stdout.write(text)
    if args.output:
        Path(args.output).write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
