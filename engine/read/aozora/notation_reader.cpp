#include "read/aozora/notation_reader.h"

#include <algorithm>

#include "read/aozora/gaiji_and_accents.h"

namespace zelvato::aozora {

void NotationReader::readLine(const SourceLine& line) {
  std::u16string_view content = line.content;
  lineNumber_ = line.number;
  lineStart_ = static_cast<std::size_t>(content.data() - source_.data());
  lineLength_ = content.size();
  // Accents 〔…〕 are composed over the whole line first: notation may stand
  // inside the brackets (〔Je me suis arme' au （sic［＃「sic」は斜体］）〕).
  origins_.clear();
  if (content.find(u'〔') != std::u16string_view::npos) {
    std::size_t composed = 0;
    composedLine_ = withAccents(content, composed, &origins_);
    if (composed > 0) {
      out_.notationCounts[u"アクセント分解"] += composed;
      content = composedLine_;
    }
  }
  prepareLine(content);
  if (!carried_) startParagraph();
  // Room at once for the runs the line may add: each closed annotation or
  // ruby splits off at most one run and begins another.
  const std::size_t runs = paragraph_.runs.size() + 1 + 2 * closedNotation_;
  if (closedNotation_ > 0 && paragraph_.runs.capacity() < runs) paragraph_.runs.reserve(runs);
  bool removedAnnotation = false;
  std::size_t plainFrom = 0;  // the text since the last notation, appended in one go
  auto flush = [&](std::size_t to) {
    if (to > plainFrom) appendText(content.substr(plainFrom, to - plainFrom));
  };
  // Only the characters that may begin notation are looked at; what lies
  // between them is plain text.
  for (const std::size_t i : notationStarts_) {
    if (i < plainFrom) continue;  // inside notation already read
    const char16_t c = content[i];
    if (c == annotationStart[0] && i + 1 < content.size() && content[i + 1] == annotationStart[1]) {
      // An annotation never closed (［＃改丁」) ends at the 」 typed for its ］, else with the line.
      const std::size_t end = closeOf(i);
      const std::size_t stop = end != std::u16string_view::npos ? end : unclosedEnd(content, i);
      flush(i);
      const std::u16string_view body =
          content.substr(i + annotationStart.size(), stop - i - annotationStart.size());
      annotation(body, i > 0 && content[i - 1] == gaijiMark, offsetOf(std::min(stop + 1, content.size())));
      removedAnnotation = true;
      plainFrom = std::min(stop + 1, content.size());
      continue;
    }
    if (c == u'｜' || c == u'|') {
      // An explicit base begins here when a ruby follows on the same line.
      if (rubyAt(nextRubyStart(content, i + 1))) {
        flush(i);
        explicitBase_ = paragraph_.runs.empty()
                            ? Mark{0, 0}
                            : Mark{paragraph_.runs.size() - 1, paragraph_.runs.back().text.size()};
        plainFrom = i + 1;
        continue;
      }
    }
    if (c == rubyStart && rubyAt(i)) {
      flush(i);
      const std::size_t end = content.find(rubyEnd, i + 1);
      ruby(content.substr(i + 1, end - i - 1));
      plainFrom = end + 1;
    }
  }
  flush(content.size());
  explicitBase_.reset();
  if (lineMarks_) {
    marks_ = *lineMarks_;
    lineMarks_.reset();
  }
  // A line of annotations alone (a page break, the start of an indented
  // range) leaves no empty vertical line, nor does the end of a line that
  // ends with a page break: what it set carries over to the next line.
  const std::size_t lineEnd = offsetOf(content.size()) + line.end.size();
  if (removedAnnotation && paragraph_.runs.empty()) {
    carried_ = true;
    paragraph_.sourceEnd = lineEnd;
    return;
  }
  paragraph_.endsLine = line.end.find(u'\r') != std::u16string_view::npos;
  paragraph_.sourceEnd = lineEnd;
  if (!paragraph_.endsLine && line.end.empty() && paragraph_.runs.empty() &&
      paragraph_.style.breakBefore == PageBreak::none) {
    carried_ = false;
    return;
  }
  emit();
}

// What is left when the text ends: a page break with nothing after it still ends its page.
void NotationReader::finish() {
  if (carried_ && paragraph_.style.breakBefore != PageBreak::none) {
    paragraph_.endsLine = false;
    emit();
  }
}

std::size_t NotationReader::offsetOf(std::size_t at) const {
  // In a line whose accents were composed, the source position of the character.
  if (!origins_.empty())
    return lineStart_ + (at < origins_.size() ? origins_[at] : lineLength_ + (at - origins_.size()));
  return lineStart_ + at;
}

// The matching ］ of every ［ of the line (brackets nest), the last 》 in
// it, and where notation may begin: every ［, ｜ and 《.
void NotationReader::prepareLine(std::u16string_view content) {
  brackets_.clear();
  open_.clear();
  notationStarts_.clear();
  closedNotation_ = 0;
  nextBracket_ = 0;
  lastRubyEnd_ = std::u16string_view::npos;
  for (std::size_t at = 0; at < content.size(); ++at) {
    const char16_t c = content[at];
    if (c == u'［') {
      open_.push_back(brackets_.size());
      brackets_.push_back({at, std::u16string_view::npos});
      notationStarts_.push_back(at);
    } else if (c == annotationEnd && !open_.empty()) {
      brackets_[open_.back()].close = at;
      open_.pop_back();
      ++closedNotation_;
    } else if (c == rubyEnd) {
      lastRubyEnd_ = at;
      ++closedNotation_;
    } else if (c == rubyStart || c == u'｜' || c == u'|') {
      notationStarts_.push_back(at);
    }
  }
  nextRubyStart_ = 0;
  nextRubyStartFrom_ = 0;
  lineHasRubyStart_ = true;
}

std::size_t NotationReader::nextRubyStart(std::u16string_view content, std::size_t from) {
  if (from < nextRubyStartFrom_ || from > nextRubyStart_ || !lineHasRubyStart_) {
    if (!lineHasRubyStart_) return std::u16string_view::npos;
    nextRubyStart_ = content.find(rubyStart, from);
    if (nextRubyStart_ == std::u16string_view::npos) lineHasRubyStart_ = false;
  }
  nextRubyStartFrom_ = from;
  return lineHasRubyStart_ ? nextRubyStart_ : std::u16string_view::npos;
}

// Where an annotation at `at` that no ］ closes ends: at the first 」 that
// closes no 「 of its own, else at the end of the line.
std::size_t NotationReader::unclosedEnd(std::u16string_view content, std::size_t at) {
  int depth = 0;
  for (std::size_t k = at + annotationStart.size(); k < content.size(); ++k) {
    if (content[k] == u'「') ++depth;
    if (content[k] == u'」' && --depth < 0) return k;
  }
  return content.size();
}

// The ］ that closes the ［ at `at`; asked in the order of the line.
std::size_t NotationReader::closeOf(std::size_t at) {
  while (nextBracket_ < brackets_.size() && brackets_[nextBracket_].open < at) ++nextBracket_;
  if (nextBracket_ < brackets_.size() && brackets_[nextBracket_].open == at)
    return brackets_[nextBracket_].close;
  return std::u16string_view::npos;
}

bool NotationReader::rubyAt(std::size_t at) const {
  return at != std::u16string_view::npos && lastRubyEnd_ != std::u16string_view::npos && at < lastRubyEnd_;
}

void NotationReader::startParagraph() {
  paragraph_ = Paragraph{};
  paragraph_.style.firstIndent = rangeIndent_;
  paragraph_.style.restIndent = rangeRestIndent_;
  paragraph_.style.raiseFromFoot = rangeRaise_;
  paragraph_.style.lineLength = rangeLineLength_;
  carried_ = false;
}

void NotationReader::emit() {
  out_.paragraphs.push_back(std::move(paragraph_));
  startParagraph();
}

void NotationReader::appendText(std::u16string_view text) {
  if (paragraph_.runs.empty() || !paragraph_.runs.back().ruby.empty() ||
      paragraph_.runs.back().marks != marks_ || paragraph_.runs.back().kind != kind_) {
    Run& run = paragraph_.runs.emplace_back();
    run.marks = marks_;
    run.kind = kind_;
  }
  std::u16string marked;
  if (text.find(u'／') != std::u16string_view::npos) {
    marked = withIterationMarks(text);
    const auto marks =
        std::count(marked.begin(), marked.end(), u'〵') - std::count(text.begin(), text.end(), u'〵');
    if (marks > 0) out_.notationCounts[u"くの字点"] += static_cast<std::size_t>(marks);
    text = marked;
  }
  paragraph_.runs.back().text += text;
}

// The run that carries a ruby: from the explicit base mark, else the run of
// one character class at the end of the text.
void NotationReader::ruby(std::u16string_view reading) {
  std::vector<Run>& runs = paragraph_.runs;
  Run base;
  base.marks = marks_;
  base.kind = kind_;
  if (explicitBase_ && explicitBase_->run <= runs.size()) {
    const Mark from = *explicitBase_;
    explicitBase_.reset();
    if (from.run < runs.size()) {
      base.marks = runs[from.run].marks;
      base.text = runs[from.run].text.substr(from.offset);
      runs[from.run].text.resize(from.offset);
      for (std::size_t r = from.run + 1; r < runs.size(); ++r) base.text += runs[r].text;
      runs.resize(from.offset == 0 ? from.run : from.run + 1);
    }
  } else if (!runs.empty() && runs.back().ruby.empty() &&
             (runs.back().kind == RunKind::text || runs.back().kind == RunKind::warichu)) {
    std::u16string& text = runs.back().text;
    std::size_t start = text.size();
    const BaseClass kind = start > 0 ? baseClass(text[start - 1]) : BaseClass::none;
    if (kind != BaseClass::none)
      while (start > 0 && baseClass(text[start - 1]) == kind) --start;
    base.marks = runs.back().marks;
    base.text = text.substr(start);
    text.resize(start);
    if (text.empty()) runs.pop_back();
  }
  // A reading may hold notation of its own: a gaiji, a くの字点.
  base.ruby = reading.find_first_of(u"［／〔") == std::u16string_view::npos
                  ? std::u16string(reading)
                  : nestedText(reading, Nested::reading);
  runs.push_back(std::move(base));
}

}  // namespace zelvato::aozora
