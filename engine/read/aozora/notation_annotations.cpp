// What each annotation ［＃…］ does to the paragraph being read.

#include "read/aozora/annotation_table.h"
#include "read/aozora/gaiji_and_accents.h"
#include "read/aozora/notation_reader.h"

namespace zelvato::aozora {

// Applies `mark` to the runs that hold the text `marked` at the end of the
// paragraph so far (their ruby aside; 返り点 and notes between are passed).
template <typename Marking>
bool NotationReader::markTail(std::u16string_view marked, Marking&& mark) {
  std::vector<Run>& runs = paragraph_.runs;
  if (marked.empty()) return false;
  std::u16string_view remaining = marked;
  std::size_t i = runs.size();
  int passed = 0;
  while (!remaining.empty() && i > 0) {
    Run& run = runs[i - 1];
    if (run.kind != RunKind::text && run.kind != RunKind::warichu && run.kind != RunKind::gaijiDescription) {
      // A few marks and notes may stand between; a long row of them ends the search.
      if (++passed > 8) return false;
      --i;
      continue;
    }
    if (run.kind == RunKind::gaijiDescription) {
      // The annotation names the character by its ※.
      if (!endsWith(remaining, u"※")) return false;
      remaining.remove_suffix(1);
      --i;
      continue;
    }
    if (!run.text.empty() && endsWith(remaining, run.text)) {
      remaining.remove_suffix(run.text.size());
      --i;
      continue;
    }
    if (!run.ruby.empty() || !endsWith(run.text, remaining)) return false;
    Run tail = run;
    tail.text = run.text.substr(run.text.size() - remaining.size());
    run.text.resize(run.text.size() - remaining.size());
    runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(i), std::move(tail));
    remaining = {};
  }
  if (!remaining.empty()) return false;
  for (std::size_t r = i; r < runs.size(); ++r)
    if (runs[r].kind == RunKind::text || runs[r].kind == RunKind::warichu) mark(runs[r]);
  return true;
}

void NotationReader::annotation(std::u16string_view body, bool afterGaijiMark, std::size_t sourceAfter) {
  if (afterGaijiMark && !paragraph_.runs.empty() && paragraph_.runs.back().ruby.empty() &&
      (paragraph_.runs.back().kind == RunKind::text || paragraph_.runs.back().kind == RunKind::warichu) &&
      !paragraph_.runs.back().text.empty() && paragraph_.runs.back().text.back() == gaijiMark) {
    paragraph_.runs.back().text.pop_back();
    if (paragraph_.runs.back().text.empty()) paragraph_.runs.pop_back();
    const std::u16string character = gaijiCharacter(body);
    if (!character.empty()) {
      appendText(character);
      count(u"外字");
      return;
    }
    // No code: the description stands for the character, so nothing is lost.
    const std::u16string description(gaijiDescription(body));
    addRun(RunKind::gaijiDescription, description);
    if (describedSeen_.insert(description).second) out_.describedGaiji.push_back(description);
    count(u"外字（説明のみ）");
    return;
  }
  if (readAnnotation(body, sourceAfter)) return;
  ++out_.unreadAnnotations;
  ++out_.unreadByText[std::u16string(body)];
}

bool NotationReader::readAnnotation(std::u16string_view body, std::size_t sourceAfter) {
  if (body == u"改ページ" || body == u"改丁" || body == u"改見開き" || body == u"改段") {
    const PageBreak kind = body == u"改ページ" ? PageBreak::page
                           : body == u"改丁"   ? PageBreak::sheet
                           : body == u"改段"   ? PageBreak::column
                                               : PageBreak::spread;
    breakParagraph(sourceAfter);
    paragraph_.style.breakBefore = kind;
    count(kind == PageBreak::column ? u"改段" : u"改ページ");
    return true;
  }
  if (body == u"ここで字下げ終わり") {
    rangeIndent_ = rangeRestIndent_ = 0;
    setIndent(0, 0);
    count(u"字下げ");
    return true;
  }
  constexpr std::u16string_view from = u"ここから", indent = u"字下げ";
  // ここから改行天付き、折り返してN字下げ / ここからN字下げ、折り返してM字下げ
  constexpr std::u16string_view wrapped = u"、折り返して";
  // 字詰め: ［＃ここからN字詰め］, or after the indents (、N字詰め); the lines of the range hold N cells.
  constexpr std::u16string_view lineLength = u"字詰め";
  if (body == u"ここで字詰め終わり") {
    rangeLineLength_ = 0;
    setLineLength(0);
    count(u"字詰め");
    return true;
  }
  if (startsWith(body, from) && endsWith(body, lineLength)) {
    const std::size_t comma = body.rfind(u"、");
    const std::size_t at = comma == std::u16string_view::npos ? from.size() : comma + 1;
    const auto cells = readCount(body.substr(at, body.size() - lineLength.size() - at));
    if (cells && *cells > 0 &&
        (comma == std::u16string_view::npos ||
         body.substr(0, comma).find(indent) != std::u16string_view::npos)) {
      rangeLineLength_ = *cells;
      setLineLength(*cells);
      count(u"字詰め");
      if (comma == std::u16string_view::npos) return true;
      body = body.substr(0, comma);
    }
  }
  if (startsWith(body, from) && endsWith(body, indent)) {
    if (const std::size_t comma = body.find(wrapped); comma != std::u16string_view::npos) {
      const std::u16string_view first = body.substr(from.size(), comma - from.size());
      const std::size_t restAt = comma + wrapped.size();
      const auto rest = readCount(body.substr(restAt, body.size() - indent.size() - restAt));
      std::optional<int> firstCells;
      if (first == u"改行天付き")
        firstCells = 0;
      else if (endsWith(first, indent))
        firstCells = readCount(first.substr(0, first.size() - indent.size()));
      if (rest && firstCells) {
        rangeIndent_ = *firstCells;
        rangeRestIndent_ = *rest;
        setIndent(*firstCells, *rest);
        count(u"字下げ");
        return true;
      }
    }
  }
  if (endsWith(body, indent)) {
    const bool range = startsWith(body, from);
    const std::u16string_view cellsText =
        body.substr(range ? from.size() : 0, body.size() - indent.size() - (range ? from.size() : 0));
    if (const auto cells = readCount(cellsText)) {
      if (range) rangeIndent_ = rangeRestIndent_ = *cells;
      setIndent(*cells, *cells);
      count(u"字下げ");
      return true;
    }
  }
  if (const int level = headingLevel(body); level != 0) {
    // ［＃「X」は中見出し］ after its text, or ［＃中見出し］…［＃中見出し終わり］ around it.
    paragraph_.style.headingLevel = level;
    count(u"見出し");
    return true;
  }
  if (body == u"地付き" || body == u"ここから地付き") {
    raise(0, body != u"地付き", sourceAfter);
    return true;
  }
  if (body == u"ここで地付き終わり" || body == u"ここで字上げ終わり") {
    rangeRaise_ = -1;
    count(u"地付き・字上げ");
    return true;
  }
  constexpr std::u16string_view raiseStart = u"地から", raiseEnd = u"字上げ";
  {
    std::u16string_view rest = body;
    const bool range = startsWith(rest, from);
    if (range) rest.remove_prefix(from.size());
    if (startsWith(rest, raiseStart) && endsWith(rest, raiseEnd)) {
      if (const auto cells =
              readCount(rest.substr(raiseStart.size(), rest.size() - raiseStart.size() - raiseEnd.size()))) {
        raise(*cells, range, sourceAfter);
        return true;
      }
    }
  }
  if (body == u"ページの左右中央") {
    paragraph_.style.centredOnPage = true;
    count(u"ページの左右中央");
    return true;
  }
  if (body == u"改行") {
    // The line break between the two lines of a 割り注: the note reads on.
    count(u"割り注");
    return true;
  }
  if (isKaeriten(body)) {
    addRun(RunKind::kaeriten, body);
    count(u"返り点");
    return true;
  }
  if (body.size() > 2 && body.front() == u'（' && body.back() == u'）') {
    addRun(RunKind::kuntenOkurigana, body.substr(1, body.size() - 2));
    count(u"訓点送り仮名");
    return true;
  }
  if (const auto picture = illustrationOf(body)) {
    addRun(RunKind::illustration, resolvedTarget(picture->caption));
    paragraph_.runs.back().target = picture->file;
    count(u"挿絵");
    return true;
  }
  if (startsWith(body, u"ルビの「") &&
      (body.find(u"底本では") != std::u16string_view::npos || endsWith(body, u"はママ")))
    return editorNote({}, body);
  // ［＃岩波文庫の注は「…」とする］: a note of the editor's on the text before.
  if (body.find(u"注は") != std::u16string_view::npos && endsWith(body, u"とする"))
    return editorNote({}, body);
  // ［＃左にルビ付き］X［＃左に「Y」のルビ付き終わり］, ［＃注記付き］X［＃「Y」の注記付き終わり］
  if (body == u"左にルビ付き" || body == u"ルビ付き" || body == u"注記付き" || body == u"左に注記付き") {
    rangeStart_ = paragraph_.runs.empty()
                      ? Mark{0, 0}
                      : Mark{paragraph_.runs.size() - 1, paragraph_.runs.back().text.size()};
    return true;
  }
  if (rangeStart_ && (endsWith(body, u"」のルビ付き終わり") || endsWith(body, u"」の注記付き終わり"))) {
    const std::size_t open = body.find(u'「');
    const std::size_t close = body.rfind(u'」');
    if (open != std::u16string_view::npos && close > open) {
      const std::u16string reading = resolvedTarget(body.substr(open + 1, close - open - 1));
      const bool left = startsWith(body, u"左に");
      const Mark from = *rangeStart_;
      rangeStart_.reset();
      std::u16string marked;
      std::vector<Run>& runs = paragraph_.runs;
      for (std::size_t r = from.run; r < runs.size(); ++r)
        if (runs[r].kind == RunKind::text || runs[r].kind == RunKind::warichu)
          marked += r == from.run && from.offset <= runs[r].text.size() ? runs[r].text.substr(from.offset)
                                                                        : runs[r].text;
      if (endsWith(body, u"のルビ付き終わり")) {
        std::u16string_view rest = u"」のルビ";
        return targeted(marked, (left ? u"の左に「" : u"に「") + reading + std::u16string(rest));
      }
      return editorNote(marked, reading);
    }
  }
  if (body.size() > 1 && body.front() == u'「') return targetedAnnotation(body);
  return rangeAnnotation(body);
}

// A range begun (［＃太字］, ［＃ここから２段階小さな文字］) or ended (…終わり).
bool NotationReader::rangeAnnotation(std::u16string_view body) {
  bool on = true;
  std::u16string_view name = body;
  constexpr std::u16string_view ending = u"終わり", here = u"ここで";
  if (endsWith(name, ending)) {
    on = false;
    name.remove_suffix(ending.size());
    if (startsWith(name, here)) name.remove_prefix(here.size());
  } else if (startsWith(name, u"ここから")) {
    name.remove_prefix(4);
  }
  if (name == u"割り注") {
    kind_ = on ? RunKind::warichu : RunKind::text;
    count(u"割り注");
    return true;
  }
  if (name == u"キャプション") {
    count(u"キャプション");
    return true;
  }
  if (applyNamedMark(name, marks_, on)) {
    count(name);
    return true;
  }
  if (applySideMark(name, marks_, on)) {
    count(sideMarkKind(name));
    return true;
  }
  if (!on && (name == u"小さな文字" || name == u"大きな文字")) {
    marks_.sizeStep = 0;
    count(u"文字サイズ");
    return true;
  }
  if (on) {
    if (const int step = sizeStepOf(name); step != 0) {
      marks_.sizeStep = static_cast<std::int8_t>(step);
      count(u"文字サイズ");
      return true;
    }
  }
  return false;
}

// ［＃「X」に傍点］ and its kin follow the X they mark.
bool NotationReader::targetedAnnotation(std::u16string_view body) {
  // The X ends at one of its first few 」 (X may hold brackets of its own);
  // a bound, so that an annotation full of 」 is not read again and again.
  constexpr int candidates = 8;
  int tried = 0;
  for (std::size_t close = body.find(u'」'); close != std::u16string_view::npos && tried++ < candidates;
       close = body.find(u'」', close + 1)) {
    const std::u16string_view rest = body.substr(close + 1);
    if (rest.empty()) continue;
    if (targeted(resolvedTarget(body.substr(1, close - 1)), rest)) return true;
  }
  return false;
}

bool NotationReader::targeted(std::u16string_view marked, std::u16string_view rest) {
  RunMarks added;
  if (startsWith(rest, u"に") && applySideMark(rest.substr(1), added, true)) {
    count(sideMarkKind(rest.substr(1)));
    return markTail(marked, [&](Run& run) { mergeSideMark(run.marks, added); });
  }
  if (startsWith(rest, u"の左に") && applySideMark(rest.substr(1), added, true)) {
    count(sideMarkKind(rest.substr(3)));
    return markTail(marked, [&](Run& run) { mergeSideMark(run.marks, added); });
  }
  if (startsWith(rest, u"は")) {
    const std::u16string_view name = rest.substr(1);
    if (applyNamedMark(name, added, true)) {
      count(name);
      return markTail(marked, [&](Run& run) { applyNamedMark(name, run.marks, true); });
    }
    if (const int step = sizeStepOf(name); step != 0) {
      count(u"文字サイズ");
      return markTail(marked, [&](Run& run) { run.marks.sizeStep = static_cast<std::int8_t>(step); });
    }
    if (name == u"キャプション") {
      count(u"キャプション");
      return true;
    }
    if (name == u"ママ" || startsWith(name, u"底本では")) return editorNote(marked, name);
  }
  // ［＃「X」の右上に小さな四角あり］: what the printed character bears beside it, the editor's note.
  if (startsWith(rest, u"の") && endsWith(rest, u"あり") && rest.find(u"に") != std::u16string_view::npos &&
      rest.find(u"に") < rest.size() - 2)
    return editorNote(marked, rest.substr(1));
  // ［＃「X」に「Y」の注記］, ［＃「X」の左に「Y」の注記］, ［＃「X」に（Y）の注記］
  constexpr std::u16string_view noteEnd = u"の注記";
  if (endsWith(rest, noteEnd) && (startsWith(rest, u"に") || startsWith(rest, u"の左に"))) {
    std::u16string_view note = rest.substr(startsWith(rest, u"に") ? 1 : 3);
    note.remove_suffix(noteEnd.size());
    if (note.size() > 2 && (note.front() == u'「' || note.front() == u'（'))
      note = note.substr(1, note.size() - 2);
    return editorNote(marked, note);
  }
  // ［＃「X」の左に「Y」のルビ］ / ［＃「X」に「Y」のルビ］
  constexpr std::u16string_view rubyEnd = u"」のルビ";
  if (endsWith(rest, rubyEnd)) {
    const bool left = startsWith(rest, u"の左に「");
    if (left || startsWith(rest, u"に「")) {
      const std::u16string_view reading =
          rest.substr(left ? 4 : 2, rest.size() - rubyEnd.size() - (left ? 4 : 2));
      if (Run* run = tailRun(marked); run != nullptr && run->ruby.empty()) {
        run->ruby = reading;
        run->rubySide = left ? Side::left : Side::right;
        count(u"ルビ");
        return true;
      }
      // A second ruby beside one already there is kept as the editor's note.
      return editorNote(marked,
                        std::u16string(left ? u"左に" : u"") + u"「" + std::u16string(reading) + u"」のルビ");
    }
  }
  return false;
}

void NotationReader::mergeSideMark(RunMarks& marks, const RunMarks& added) {
  if (added.emphasis != EmphasisKind::none) {
    marks.emphasis = added.emphasis;
    marks.emphasisSide = added.emphasisSide;
  }
  if (added.line != LineKind::none) {
    marks.line = added.line;
    marks.lineSide = added.lineSide;
  }
}

// The editor's note after the text it is about (dropped or shown by the writers).
bool NotationReader::editorNote(std::u16string_view marked, std::u16string_view note) {
  // A note whose text does not end the paragraph (a misprint the note is
  // about) stays where it stands, with the text it names.
  if (!marked.empty() && tailRun(marked) == nullptr) {
    addRun(RunKind::editorNote, u"「" + std::u16string(marked) + u"」" + std::u16string(note));
    count(u"校訂注記");
    return true;
  }
  addRun(RunKind::editorNote, note);
  count(u"校訂注記");
  return true;
}

// The X of a 「X」 annotation as the run that ends the paragraph, split off
// from the text before it; null when the paragraph does not end with X.
Run* NotationReader::tailRun(std::u16string_view marked) {
  Run* found = nullptr;
  markTail(marked, [&](Run& run) { found = &run; });
  return found;
}

// 地付き and 地からN字上げ: the text after it ends at the foot, or N cells above.
// After text on the same line, the text before keeps its place and the rest
// goes on the same vertical line.
void NotationReader::raise(int cells, bool range, std::size_t sourceAfter) {
  count(u"地付き・字上げ");
  if (range) rangeRaise_ = cells;
  if (!paragraph_.runs.empty() && paragraph_.style.raiseFromFoot < 0) {
    paragraph_.endsLine = false;
    paragraph_.sourceEnd = sourceAfter;
    emit();
    carried_ = true;
  }
  paragraph_.style.raiseFromFoot = cells;
}

// The text before a break ends its page without ending its line.
void NotationReader::breakParagraph(std::size_t sourceAfter) {
  if (paragraph_.runs.empty()) return;
  paragraph_.endsLine = false;
  paragraph_.sourceEnd = sourceAfter;
  emit();
  carried_ = true;
}

void NotationReader::addRun(RunKind kind, std::u16string_view text) {
  Run& run = paragraph_.runs.emplace_back();
  run.kind = kind;
  run.text = text;
}

void NotationReader::setLineLength(int cells) {
  if (paragraph_.runs.empty()) paragraph_.style.lineLength = cells;
}

// A range's indent takes the paragraph not yet begun at once; later lines follow it.
void NotationReader::setIndent(int first, int rest) {
  if (paragraph_.runs.empty()) {
    paragraph_.style.firstIndent = first;
    paragraph_.style.restIndent = rest;
  }
}

}  // namespace zelvato::aozora
