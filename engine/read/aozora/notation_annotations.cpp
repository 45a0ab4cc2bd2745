// What each annotation ［＃…］ does to the paragraph being read: the gaiji,
// the layout (breaks, indents, 地付き, 字詰め, 左右中央), ranges, and the
// annotations that list several properties. An annotation nothing reads stays
// in its place as the editor's note and is reported with its line.

#include "read/aozora/annotation_table.h"
#include "read/aozora/gaiji_and_accents.h"
#include "read/aozora/notation_reader.h"

namespace zelvato::aozora {
namespace {

constexpr std::u16string_view from = u"ここから", here = u"ここで", ending = u"終わり", indent = u"字下げ";

// "N字下げ" with the archive's ways of saying it: 天からN字下げ, 以下N字下げ; the count, or none.
std::optional<int> indentCells(std::u16string_view text) {
  if (!endsWith(text, indent)) return std::nullopt;
  text.remove_suffix(indent.size());
  for (const std::u16string_view lead : {u"天から", u"天より", u"以下"})
    if (startsWith(text, lead)) text.remove_prefix(lead.size());
  return readCount(text);
}

// "N字詰め", "N字組み", "N行N字組みで": the cells a line holds; none when it is not one.
std::optional<int> lineLengthOf(std::u16string_view text) {
  if (text.find(u'、') != std::u16string_view::npos) return std::nullopt;
  if (endsWith(text, u"で")) text.remove_suffix(1);
  std::u16string_view unit;
  for (const std::u16string_view u : {u"字詰め", u"字組み"})
    if (endsWith(text, u)) unit = u;
  if (unit.empty()) return std::nullopt;
  text.remove_suffix(unit.size());
  if (const std::size_t lines = text.find(u'行'); lines != std::u16string_view::npos)
    text.remove_prefix(lines + 1);
  return readCount(text);
}

// 地からN字上げ and its kin (地からN字アキ, 地からN字あきで, 文末からN字上げ揃え): N, or none.
std::optional<int> raiseOf(std::u16string_view text) {
  for (const std::u16string_view lead : {u"下げて、", u"下げて"})
    if (startsWith(text, lead)) text.remove_prefix(lead.size());
  if (endsWith(text, u"で")) text.remove_suffix(1);
  if (endsWith(text, u"揃え")) text.remove_suffix(2);
  std::u16string_view start;
  for (const std::u16string_view s : {u"地から", u"文末から", u"文末より", u"下から"})
    if (startsWith(text, s)) start = s;
  if (start.empty()) return std::nullopt;
  text.remove_prefix(start.size());
  for (const std::u16string_view e : {u"字上げ", u"字アキ", u"字あき", u"字上がり"})
    if (endsWith(text, e)) return readCount(text.substr(0, text.size() - e.size()));
  return std::nullopt;
}

}  // namespace

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
  annotationText_ = body;
  if (readAnnotation(normalizedAnnotation(body), sourceAfter)) return;
  unread(body);
}

void NotationReader::unread(std::u16string_view body) {
  ++out_.unreadAnnotations;
  UnreadAnnotation& entry = out_.unreadByText[std::u16string(body)];
  if (entry.count++ == 0) entry.firstLine = lineNumber_;
  addRun(RunKind::editorNote, nestedText(trimmed(body), Nested::note));
}

bool NotationReader::readAnnotation(std::u16string_view body, std::size_t sourceAfter) {
  if (readOne(body, sourceAfter) || propertyList(body, sourceAfter)) return true;
  if (!isEditorsNote(body)) return false;
  // 「X」は初出では「Y」: the note follows X where X ends the paragraph.
  if (startsWith(body, u"「")) {
    if (const std::size_t close = body.find(u'」'); close != std::u16string_view::npos) {
      const std::u16string marked = resolvedTarget(body.substr(1, close - 1));
      std::u16string_view note = body.substr(close + 1);
      for (const std::u16string_view particle : {u"は、", u"は", u"の", u"に", u"が"})
        if (startsWith(note, particle)) {
          note.remove_prefix(particle.size());
          break;
        }
      if (!marked.empty() && !note.empty()) return editorNote(marked, note);
    }
  }
  return editorNote({}, body);
}

bool NotationReader::readOne(std::u16string_view body, std::size_t sourceAfter) {
  if (body.empty()) return false;
  if (layoutAnnotation(body, sourceAfter)) return true;
  if (const int level = headingLevel(body); level != 0) {
    // ［＃「X」は中見出し］ after its text, or ［＃中見出し］…［＃中見出し終わり］ around it.
    paragraph_.style.headingLevel = level;
    count(u"見出し");
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
  if (body.size() > 2 && body.front() == u'（' && body.back() == u'）' &&
      body.find(u'）') == body.size() - 1) {
    addRun(RunKind::kuntenOkurigana, nestedText(body.substr(1, body.size() - 2), Nested::reading));
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
      const Mark start = *rangeStart_;
      rangeStart_.reset();
      std::u16string marked;
      std::vector<Run>& runs = paragraph_.runs;
      for (std::size_t r = start.run; r < runs.size(); ++r)
        if (runs[r].kind == RunKind::text || runs[r].kind == RunKind::warichu)
          marked += r == start.run && start.offset <= runs[r].text.size() ? runs[r].text.substr(start.offset)
                                                                          : runs[r].text;
      if (endsWith(body, u"のルビ付き終わり"))
        return targeted(marked, (left ? u"の左に「" : u"に「") + reading + u"」のルビ");
      return editorNote(marked, reading);
    }
  }
  // ［＃ルビは「X」にかかる］: the ruby just before belongs to X.
  if (startsWith(body, u"ルビは「") && endsWith(body, u"」にかかる"))
    return rubyAnnotation(body.substr(4, body.size() - 9), u"");
  if (endsWith(body, u"ドット付き")) return dottedLetters(body);
  if (body.size() > 1 && (body.front() == u'「' || body.front() == u'（')) return targetedAnnotation(body);
  return rangeAnnotation(body);
}

bool NotationReader::layoutAnnotation(std::u16string_view body, std::size_t sourceAfter) {
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
  if (body == u"見出し終わり" || body == u"ここで見出し終わり") {
    // The heading is the paragraph it stands in; its end changes nothing more.
    count(u"見出し");
    return true;
  }
  if (body == u"本文終わり") {
    // The end of the work's text: the colophon follows as it is.
    count(u"本文終わり");
    return true;
  }
  if (body == u"ページの左右中央" || body == u"ページの左右中央に" || body == u"ここからページの左右中央" ||
      body == u"ここからページの左右中央に" || body == u"ページ左右中央" || body == u"左右中央") {
    paragraph_.style.centredOnPage = true;
    count(u"ページの左右中央");
    return true;
  }
  if (body == u"地付き" || body == u"ここから地付き" || body == u"地付きで" || body == u"下げて地付きで" ||
      body == u"以下地付き") {
    raise(0, body == u"ここから地付き" || body == u"以下地付き", sourceAfter);
    return true;
  }
  if (body == u"ここで地付き終わり" || body == u"ここで字上げ終わり") {
    rangeRaise_ = -1;
    count(u"地付き・字上げ");
    return true;
  }
  {
    std::u16string_view rest = body;
    const bool range = startsWith(rest, from);
    if (range) rest.remove_prefix(from.size());
    if (const auto cells = raiseOf(rest)) {
      raise(*cells, range, sourceAfter);
      return true;
    }
  }
  // 字詰め: ［＃ここからN字詰め］ (or N字組み, N行N字組みで); the lines of the range hold N cells.
  if (startsWith(body, here) && endsWith(body, ending) &&
      (lineLengthOf(body.substr(here.size(), body.size() - here.size() - ending.size())) ||
       body == u"ここで字詰め終わり")) {
    rangeLineLength_ = 0;
    setLineLength(0);
    count(u"字詰め");
    return true;
  }
  if (startsWith(body, from)) {
    if (const auto cells = lineLengthOf(body.substr(from.size())); cells && *cells > 0) {
      rangeLineLength_ = *cells;
      setLineLength(*cells);
      // Begun with an indent (ここから２字下げ、２２字詰め), it ends with that indent.
      lineLengthWithIndent_ = inPropertyList_;
      count(u"字詰め");
      return true;
    }
  }
  return indentAnnotation(body);
}

bool NotationReader::indentAnnotation(std::u16string_view body) {
  // ここで字下げ終わり, ここでN字下げ終わり, 字下げ終わり
  if (endsWith(body, ending) && body.find(indent) != std::u16string_view::npos &&
      body.find(u'、') == std::u16string_view::npos &&
      (body == u"字下げ終わり" || startsWith(body, here) || indentCells(body.substr(0, body.size() - 3)))) {
    rangeIndent_ = rangeRestIndent_ = 0;
    setIndent(0, 0);
    if (lineLengthWithIndent_) {
      rangeLineLength_ = 0;
      setLineLength(0);
      lineLengthWithIndent_ = false;
    }
    count(u"字下げ");
    return true;
  }
  constexpr std::u16string_view wrapped = u"、折り返して";
  // ここから改行天付き、折り返してN字下げ / ここからN字下げ、折り返してM字下げ; without
  // ここから, for this paragraph only.
  if (const std::size_t comma = body.find(wrapped);
      comma != std::u16string_view::npos && endsWith(body, indent)) {
    const bool range = startsWith(body, from);
    std::u16string_view first = body.substr(range ? from.size() : 0, comma - (range ? from.size() : 0));
    if (startsWith(first, u"改行")) first.remove_prefix(2);
    const std::size_t restAt = comma + wrapped.size();
    const auto rest = readCount(body.substr(restAt, body.size() - indent.size() - restAt));
    const std::optional<int> firstCells = first == u"天付き" ? std::optional<int>(0) : indentCells(first);
    if (rest && firstCells) {
      if (range) {
        rangeIndent_ = *firstCells;
        rangeRestIndent_ = *rest;
      }
      setIndent(*firstCells, *rest);
      count(u"字下げ");
      return true;
    }
  }
  // 以下N字下げ: the lines from here on.
  const bool range = startsWith(body, from) || startsWith(body, u"以下");
  if (const auto cells = indentCells(startsWith(body, from) ? body.substr(from.size()) : body)) {
    if (range) rangeIndent_ = rangeRestIndent_ = *cells;
    setIndent(*cells, *cells);
    count(u"字下げ");
    return true;
  }
  return false;
}

// Several properties joined by 「、」, each applied as its own annotation: a
// part after a 「X」は names the same X, a part after ここから opens its own
// range, and every part of a list that ends with 終わり ends its range.
bool NotationReader::propertyList(std::u16string_view body, std::size_t sourceAfter) {
  std::vector<std::u16string_view> parts = propertiesOf(body);
  if (parts.size() < 2) return false;
  // 折り返してN字下げ belongs to the part before it.
  for (std::size_t i = 1; i < parts.size();) {
    if (startsWith(parts[i], u"折り返して")) {
      parts[i - 1] =
          body.substr(static_cast<std::size_t>(parts[i - 1].data() - body.data()),
                      static_cast<std::size_t>(parts[i].data() - parts[i - 1].data()) + parts[i].size());
      parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  std::u16string targetPrefix;  // 「X」は, 「X」に or 「X」の左に
  if (startsWith(parts.front(), u"「")) {
    const std::size_t close = parts.front().find(u"」");
    for (const std::u16string_view particle : {u"の左に", u"は", u"に"})
      if (close != std::u16string_view::npos &&
          parts.front().substr(close + 1, particle.size()) == particle) {
        targetPrefix = std::u16string(parts.front().substr(0, close + 1 + particle.size()));
        break;
      }
  }
  const bool opening = startsWith(parts.front(), from);
  const bool closing = startsWith(parts.front(), here) && endsWith(body, ending);
  bool anyRead = false;
  std::vector<std::u16string_view> notes, unknown;
  inPropertyList_ = true;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::u16string part(trimmed(parts[i]));
    if (i > 0 && !startsWith(part, u"「") && !startsWith(part, from) && !startsWith(part, here)) {
      if (!targetPrefix.empty())
        part = targetPrefix + part;
      else if (opening)
        part = std::u16string(from) + part;
      else if (closing)
        part = std::u16string(here) + part;
    }
    if (closing) {
      if (endsWith(part, u"も終わり")) part.erase(part.size() - 4, 1);
      if (!endsWith(part, ending)) part += ending;
    }
    if (readOne(part, sourceAfter))
      anyRead = true;
    else
      (isEditorsNote(part) ? notes : unknown).push_back(parts[i]);
  }
  inPropertyList_ = false;
  if (unknown.empty()) {
    for (const std::u16string_view note : notes) editorNote({}, note);
    return true;
  }
  // A note of the editor's that mentions a layout in passing is the note, whole.
  if (isEditorsNote(body)) return editorNote({}, body);
  if (!anyRead) return false;
  // Read in part: what was read is applied, and the whole stays as the editor's note, reported.
  unread(annotationText_);
  return true;
}

// A range begun (［＃太字］, ［＃ここから２段階小さな文字］) or ended (…終わり).
bool NotationReader::rangeAnnotation(std::u16string_view body) {
  bool on = true;
  std::u16string_view name = body;
  if (endsWith(name, ending)) {
    on = false;
    name.remove_suffix(ending.size());
    if (startsWith(name, here)) name.remove_prefix(here.size());
  } else if (startsWith(name, from)) {
    name.remove_prefix(from.size());
  } else if (startsWith(name, u"この行は")) {
    // ［＃この行はゴシック体］: the rest of the line.
    name.remove_prefix(4);
    if (!lineMarks_) lineMarks_ = marks_;
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
  // A quotation is known by its indent alone.
  if (name == u"引用文" || name == u"引用") {
    count(u"引用文");
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
  if (const int step = sizeStepOf(name); step != 0 || name == u"小さな文字" || name == u"大きな文字") {
    marks_.sizeStep = static_cast<std::int8_t>(on ? step : 0);
    count(u"文字サイズ");
    return true;
  }
  return false;
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
