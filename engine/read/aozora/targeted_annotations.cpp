// The annotations that name their text: ［＃「X」に傍点］, ［＃「A」～「B」に傍点］,
// ［＃「X」に「Y」のルビ］ … The X is looked for where it ends the paragraph
// so far, else earlier on the same line, and split off from the text around it.

#include "read/aozora/annotation_table.h"
#include "read/aozora/gaiji_and_accents.h"
#include "read/aozora/notation_reader.h"

namespace zelvato::aozora {
namespace {

// The text a run shows where an annotation may name it: a gaiji without a code by its ※.
std::u16string_view flatText(const Run& run) {
  switch (run.kind) {
    case RunKind::text:
    case RunKind::warichu:
      return run.text;
    case RunKind::gaijiDescription:
      return u"※";
    default:
      return {};
  }
}

bool isText(const Run& run) {
  return run.kind == RunKind::text || run.kind == RunKind::warichu;
}

// A target is looked for this far back: an annotation follows its text closely,
// and a line full of annotations whose text is missing is still read in linear time.
constexpr std::size_t reachRuns = 256;
constexpr std::size_t reachCharacters = 4096;

// The one character a roman numeral or a fraction written in digits stands for.
std::u16string romanNumeral(int value) {
  if (value < 1 || value > 12) return {};
  return std::u16string(1, static_cast<char16_t>(u'Ⅰ' + value - 1));
}

std::u16string fraction(std::u16string_view text) {
  struct Fraction {
    std::u16string_view text;
    char16_t character;
  };
  constexpr Fraction fractions[] = {{u"1/2", u'½'}, {u"1/3", u'⅓'}, {u"2/3", u'⅔'}, {u"1/4", u'¼'},
                                    {u"3/4", u'¾'}, {u"1/5", u'⅕'}, {u"1/6", u'⅙'}, {u"1/8", u'⅛'}};
  const std::u16string ascii = asAscii(text);
  for (const Fraction& f : fractions)
    if (ascii == f.text ||
        ascii == std::u16string(f.text.substr(2)) + u"分の" + std::u16string(f.text.substr(0, 1)))
      return std::u16string(1, f.character);
  return {};
}

}  // namespace

std::optional<NotationReader::RunSpan> NotationReader::findTarget(std::u16string_view marked,
                                                                  std::u16string_view to) {
  std::vector<Run>& runs = paragraph_.runs;
  if (marked.empty() || runs.empty()) return std::nullopt;
  std::size_t first = runs.size(), characters = 0;
  while (first > 0 && runs.size() - first < reachRuns && characters < reachCharacters)
    characters += flatText(runs[--first]).size();
  std::u16string flat;
  flat.reserve(characters);
  std::vector<std::size_t> starts;
  for (std::size_t r = first; r < runs.size(); ++r) {
    starts.push_back(flat.size());
    flat += flatText(runs[r]);
  }
  std::size_t begin = 0, end = 0;
  if (to.empty()) {
    begin = flat.rfind(marked);
    if (begin == std::u16string::npos) return std::nullopt;
    end = begin + marked.size();
  } else {
    const std::size_t last = flat.rfind(to);
    if (last == std::u16string::npos) return std::nullopt;
    begin = flat.rfind(marked, last);
    if (begin == std::u16string::npos) return std::nullopt;
    end = std::max(last + to.size(), begin + marked.size());
  }
  // The runs holding the first and the last character of the span.
  const auto runAt = [&](std::size_t at) {
    std::size_t r = starts.size() - 1;
    while (r > 0 && (starts[r] > at || flatText(runs[first + r]).empty())) --r;
    return r;
  };
  const std::size_t b = runAt(begin), e = runAt(end - 1);
  const std::size_t endOffset = end - starts[e], beginOffset = begin - starts[b];
  const auto splittable = [](const Run& run) { return isText(run) && run.ruby.empty(); };
  Run& last = runs[first + e];
  if (endOffset < flatText(last).size()) {
    if (!splittable(last)) return std::nullopt;
    if (b == e && beginOffset > 0 && !splittable(runs[first + b])) return std::nullopt;
    Run tail = last;
    tail.text = last.text.substr(endOffset);
    last.text.resize(endOffset);
    runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(first + e + 1), std::move(tail));
  }
  RunSpan span{first + b, first + e};
  if (beginOffset > 0) {
    Run& head = runs[first + b];
    if (!splittable(head)) return std::nullopt;
    Run rest = head;
    rest.text = head.text.substr(beginOffset);
    head.text.resize(beginOffset);
    runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(first + b + 1), std::move(rest));
    ++span.first;
    ++span.last;
  }
  return span;
}

Run* NotationReader::targetRun(std::u16string_view marked) {
  const auto span = findTarget(marked);
  if (!span || span->first != span->last || !isText(paragraph_.runs[span->first])) return nullptr;
  return &paragraph_.runs[span->first];
}

bool NotationReader::endsWithTarget(std::u16string_view marked) {
  std::u16string tail;
  for (std::size_t r = paragraph_.runs.size(); r > 0 && tail.size() < marked.size();) {
    const std::u16string_view text = flatText(paragraph_.runs[--r]);
    tail.insert(0, text);
  }
  return !marked.empty() && endsWith(tail, marked);
}

template <typename Marking>
bool NotationReader::markSpan(std::optional<RunSpan> span, Marking&& mark) {
  if (!span) return false;
  for (std::size_t r = span->first; r <= span->last; ++r)
    if (isText(paragraph_.runs[r])) mark(paragraph_.runs[r]);
  return true;
}

// ［＃「X」に傍点］ and its kin; several targets in a row (「X」「Y」は縦中横), a
// range 「A」～「B」, or X in parentheses (（一）は縦中横).
bool NotationReader::targetedAnnotation(std::u16string_view body) {
  if (body.front() == u'（') {
    const std::size_t close = body.find(u'）');
    if (close == std::u16string_view::npos || close + 1 >= body.size()) return false;
    return targeted(resolvedTarget(body.substr(0, close + 1)), body.substr(close + 1));
  }
  if (rangeTargeted(body)) return true;
  // The X ends at one of its first few 」 (X may hold brackets of its own);
  // a bound, so that an annotation full of 」 is not read again and again.
  constexpr int candidates = 8;
  int tried = 0;
  for (std::size_t close = body.find(u'」'); close != std::u16string_view::npos && tried++ < candidates;
       close = body.find(u'」', close + 1)) {
    std::u16string_view rest = body.substr(close + 1);
    if (rest.empty()) continue;
    // 「X」「Y」は縦中横: every target in the row.
    std::vector<std::u16string_view> more;
    while (startsWith(rest, u"「")) {
      const std::size_t next = rest.find(u'」');
      if (next == std::u16string_view::npos) break;
      more.push_back(rest.substr(1, next - 1));
      rest.remove_prefix(next + 1);
    }
    if (rest.empty()) continue;
    if (!more.empty()) {
      bool all = targeted(resolvedTarget(body.substr(1, close - 1)), rest);
      for (const std::u16string_view target : more) all = targeted(resolvedTarget(target), rest) && all;
      if (all) return true;
      continue;
    }
    if (targeted(resolvedTarget(body.substr(1, close - 1)), rest)) return true;
  }
  return false;
}

// ［＃「A」～「B」に傍点］, ［＃「A」から「B」まで傍点］: the text from A to B.
bool NotationReader::rangeTargeted(std::u16string_view body) {
  const std::size_t close = body.find(u'」');
  if (close == std::u16string_view::npos) return false;
  std::u16string_view rest = body.substr(close + 1);
  const bool tilde = startsWith(rest, u"～「") || startsWith(rest, u"〜「");
  if (!tilde && !startsWith(rest, u"から「")) return false;
  rest.remove_prefix(tilde ? 2 : 3);
  const std::size_t end = rest.find(u'」');
  if (end == std::u16string_view::npos) return false;
  const std::u16string last = resolvedTarget(rest.substr(0, end));
  std::u16string_view what = rest.substr(end + 1);
  if (!tilde) {
    if (!startsWith(what, u"まで")) return false;
    what.remove_prefix(2);
  }
  if (startsWith(what, u"に")) what.remove_prefix(1);
  const std::u16string first = resolvedTarget(body.substr(1, close - 1));
  RunMarks added;
  const bool left = startsWith(what, u"の左に");
  if (left) what.remove_prefix(1);
  if (applySideMark(what, added, true)) {
    if (!markSpan(findTarget(first, last), [&](Run& run) { mergeSideMark(run.marks, added); })) return false;
    count(sideMarkKind(what));
    return true;
  }
  if (startsWith(what, u"は")) what.remove_prefix(1);
  if (applyNamedMark(what, added, true)) {
    if (!markSpan(findTarget(first, last), [&](Run& run) { applyNamedMark(what, run.marks, true); }))
      return false;
    count(what);
    return true;
  }
  return false;
}

bool NotationReader::targeted(std::u16string_view marked, std::u16string_view rest) {
  RunMarks added;
  // 「X」に傍点, 「X」の左に傍線, 「X」傍点 and 「X」は傍点 as the archive also writes them.
  for (const std::u16string_view particle : {u"に", u"の左に", u"は", u""}) {
    if (!startsWith(rest, particle)) continue;
    std::u16string_view name = rest.substr(particle.size());
    if (particle == u"の左に") name = rest.substr(1);  // keeps "左に"
    if (!applySideMark(name, added, true)) continue;
    if (!markSpan(findTarget(marked), [&](Run& run) { mergeSideMark(run.marks, added); })) return false;
    count(sideMarkKind(name));
    return true;
  }
  // 「X」は太字, and as the archive also writes them: 「X」に枠囲み, 「X」の縦中横, 「X」ゴシック体.
  for (const std::u16string_view particle : {u"は", u"に", u"の", u""}) {
    const std::u16string_view name = rest.substr(startsWith(rest, particle) ? particle.size() : rest.size());
    if (name.empty() || !applyNamedMark(name, added, true)) continue;
    if (!markSpan(findTarget(marked), [&](Run& run) { applyNamedMark(name, run.marks, true); })) return false;
    count(name);
    return true;
  }
  // 「X」にルビ, 「X」のルビ: the ruby just before belongs to X.
  if (rest == u"にルビ" || rest == u"のルビ" || rest == u"全体にかかるルビ")
    return rubyAnnotation(marked, {});
  if (startsWith(rest, u"は")) {
    const std::u16string_view name = rest.substr(1);
    if (const int step = sizeStepOf(name); step != 0) {
      if (!markSpan(findTarget(marked),
                    [&](Run& run) { run.marks.sizeStep = static_cast<std::int8_t>(step); }))
        return false;
      count(u"文字サイズ");
      return true;
    }
    if (name == u"キャプション") {
      count(u"キャプション");
      return true;
    }
    if (name == u"ママ" || startsWith(name, u"底本では")) return editorNote(marked, name);
    if (characterNote(marked, name)) return true;
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
  return rubyAnnotation(marked, rest);
}

// ［＃「X」に「Y」のルビ］, ［＃「X」の左に「Y」のルビ］, ［＃「X」に「Y」の傍記］ (text set beside
// X as ruby is), and ［＃ルビは「X」にかかる］ (rest empty: the ruby just before belongs to X).
bool NotationReader::rubyAnnotation(std::u16string_view marked, std::u16string_view rest) {
  std::vector<Run>& runs = paragraph_.runs;
  if (rest.empty()) {
    const std::u16string target = resolvedTarget(marked);
    std::size_t r = runs.size();
    while (r > 0 && runs.size() - r < reachRuns && runs[r - 1].ruby.empty()) --r;
    if (r == 0 || runs[r - 1].ruby.empty()) return false;
    Run& based = runs[r - 1];
    if (target == based.text) {
      count(u"ルビ");
      return true;
    }
    if (endsWith(target, based.text) && r >= 2 && isText(runs[r - 2]) && runs[r - 2].ruby.empty() &&
        endsWith(runs[r - 2].text, target.substr(0, target.size() - based.text.size()))) {
      // The base reaches back into the text before it.
      const std::size_t more = target.size() - based.text.size();
      Run& before = runs[r - 2];
      based.text.insert(0, before.text.substr(before.text.size() - more));
      before.text.resize(before.text.size() - more);
      if (before.text.empty()) runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(r - 2));
    } else if (endsWith(based.text, target) && !target.empty()) {
      // The ruby covers only the end of what the notation took for its base.
      Run plain = based;
      plain.ruby.clear();
      plain.text.resize(based.text.size() - target.size());
      based.text = target;
      runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(r - 1), std::move(plain));
    } else {
      return false;
    }
    count(u"ルビ");
    return true;
  }
  const bool left = startsWith(rest, u"の左に「");
  if (!left && !startsWith(rest, u"に「")) return false;
  for (const std::u16string_view kind : {u"」のルビ", u"」の傍記"}) {
    if (!endsWith(rest, kind)) continue;
    const std::u16string reading =
        nestedText(rest.substr(left ? 4 : 2, rest.size() - kind.size() - (left ? 4 : 2)), Nested::reading);
    if (Run* run = targetRun(marked); run != nullptr && run->ruby.empty()) {
      run->ruby = reading;
      run->rubySide = left ? Side::left : Side::right;
      count(kind == u"」のルビ" ? u"ルビ" : u"傍記");
      return true;
    }
    // A second ruby beside one already there is kept as the editor's note.
    return editorNote(marked, std::u16string(left ? u"左に" : u"") + u"「" + reading + u"」" +
                                  std::u16string(kind.substr(1)));
  }
  return false;
}

// ［＃「4」はローマ数字、1-13-24］, ［＃「X」は一文字、第3水準1-1-1］, ［＃「1/2」は分数］:
// the characters stand for one character, set in their place.
bool NotationReader::characterNote(std::u16string_view marked, std::u16string_view name) {
  std::u16string character;
  if (startsWith(name, u"ローマ数字")) {
    character = gaijiCharacter(name);
    if (character.empty()) {
      std::u16string_view number = name.substr(5);
      if (startsWith(number, u"の")) number.remove_prefix(1);
      character = romanNumeral(readCount(number.substr(0, number.find(u'、'))).value_or(0));
      if (character.empty()) character = romanNumeral(readCount(marked).value_or(0));
    }
  } else if (startsWith(name, u"一文字") || startsWith(name, u"一字")) {
    character = gaijiCharacter(name);
  } else if (name == u"分数") {
    character = fraction(marked);
    if (character.empty()) {
      // No character for it: the fraction stays as it is written.
      if (!endsWithTarget(marked) && !findTarget(marked)) return false;
      count(u"字形の注記");
      return true;
    }
  } else {
    return false;
  }
  if (character.empty()) return false;
  Run* run = targetRun(marked);
  if (run == nullptr) return false;
  run->text = character;
  count(u"字形の注記");
  return true;
}

// ［＃mは上ドット付き］, ［＃stはともに下ドット付き］: the Latin letters just
// before, with a dot above or below (ṁ, ṣ).
bool NotationReader::dottedLetters(std::u16string_view body) {
  // By the letter a to z; 0 where the letter has no such form.
  constexpr std::u16string_view above(u"ȧḃċḋėḟġḣ\0\0\0\0ṁṅȯṗ\0ṙṡṫ\0\0ẇẋẏż", 26);
  constexpr std::u16string_view below(u"ạḅ\0ḍẹ\0\0ḥị\0ḳḷṃṇọ\0\0ṛṣṭụṿẉ\0ỵẓ", 26);
  static_assert(above.size() == 26 && below.size() == 26);
  if (startsWith(body, u"最後の")) body.remove_prefix(3);
  const std::size_t particle = body.find(u'は');
  if (particle == std::u16string_view::npos || particle == 0) return false;
  std::u16string_view how = body.substr(particle + 1);
  if (startsWith(how, u"ともに")) how.remove_prefix(3);
  const bool top = how == u"上ドット付き";
  if (!top && how != u"下ドット付き") return false;
  const std::u16string_view marked = body.substr(0, particle);
  std::u16string dotted;
  for (const char16_t c : marked) {
    const char16_t d = c >= u'a' && c <= u'z' ? (top ? above : below)[static_cast<std::size_t>(c - u'a')] : 0;
    if (d == 0) return false;
    dotted += d;
  }
  Run* run = targetRun(marked);
  if (run == nullptr) return false;
  run->text = dotted;
  count(u"字形の注記");
  return true;
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
  // The note may quote notation (底本では「膏盲《こうこう》」): shown as the reader reads it.
  const std::u16string text = nestedText(note, Nested::note);
  // A note whose text does not end the paragraph (a misprint the note is
  // about) stays where it stands, with the text it names.
  if (!marked.empty() && !endsWithTarget(marked))
    addRun(RunKind::editorNote, u"「" + std::u16string(marked) + u"」" + text);
  else
    addRun(RunKind::editorNote, text);
  count(u"校訂注記");
  return true;
}

}  // namespace zelvato::aozora
