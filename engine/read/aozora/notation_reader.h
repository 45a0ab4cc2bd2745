#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "read/aozora/aozora_scanner.h"

namespace zelvato::aozora {

// Reads the notation line by line into paragraphs of runs, in one pass: every
// search for a closing bracket is answered from positions found once per line.
// The reading of the lines, ruby and plain text is in notation_reader.cpp, what
// each annotation does in notation_annotations.cpp (layout and ranges) and
// targeted_annotations.cpp (the 「X」 an annotation names).
class NotationReader {
 public:
  NotationReader(std::u16string_view source, Document& out) : source_(source), out_(out) {}

  void readLine(const SourceLine& line);

  // What is left when the text ends: a page break with nothing after it still ends its page.
  void finish();

 private:
  struct Mark {
    std::size_t run;
    std::size_t offset;
  };
  // The runs [first, last] that hold exactly the text an annotation names.
  struct RunSpan {
    std::size_t first;
    std::size_t last;
  };

  // The line (notation_reader.cpp).
  std::size_t offsetOf(std::size_t at) const;

  // The matching ］ of every ［ of the line (brackets nest), the last 》 in
  // it, and where notation may begin: every ［, ｜ and 《.
  void prepareLine(std::u16string_view content);
  std::size_t nextRubyStart(std::u16string_view content, std::size_t from);

  // The ］ that closes the ［ at `at`; asked in the order of the line.
  std::size_t closeOf(std::size_t at);
  static std::size_t unclosedEnd(std::u16string_view content, std::size_t at);
  bool rubyAt(std::size_t at) const;
  void startParagraph();
  void emit();
  void appendText(std::u16string_view text);

  // The run that carries a ruby: from the explicit base mark, else the run of
  // one character class at the end of the text.
  void ruby(std::u16string_view reading);
  void count(std::u16string_view kind) { ++out_.notationCounts[std::u16string(kind)]; }

  // What each annotation does (notation_annotations.cpp).
  void annotation(std::u16string_view body, bool afterGaijiMark, std::size_t sourceAfter);
  bool readAnnotation(std::u16string_view body, std::size_t sourceAfter);
  bool readOne(std::u16string_view body, std::size_t sourceAfter);
  bool layoutAnnotation(std::u16string_view body, std::size_t sourceAfter);
  bool indentAnnotation(std::u16string_view body);
  // Several properties joined by 「、」 (「X」は縦中横、行右小書き; ここから２字下げ、小さい活字):
  // each applied to the same target or range.
  bool propertyList(std::u16string_view body, std::size_t sourceAfter);
  // Kept in its place as the editor's note, and reported with its line.
  void unread(std::u16string_view body);

  // A range begun (［＃太字］, ［＃ここから２段階小さな文字］) or ended (…終わり).
  bool rangeAnnotation(std::u16string_view body);

  // ［＃「X」に傍点］ and its kin follow the X they mark (targeted_annotations.cpp).
  bool targetedAnnotation(std::u16string_view body);
  bool targeted(std::u16string_view marked, std::u16string_view rest);
  bool rangeTargeted(std::u16string_view body);
  bool rubyAnnotation(std::u16string_view marked, std::u16string_view rest);
  bool characterNote(std::u16string_view marked, std::u16string_view name);
  bool dottedLetters(std::u16string_view body);
  static void mergeSideMark(RunMarks& marks, const RunMarks& added);

  // The editor's note after the text it is about (dropped or shown by the writers).
  bool editorNote(std::u16string_view marked, std::u16string_view note);

  // The runs that hold `marked`, split off from the text around it: at the end
  // of the paragraph, else its last occurrence before (within a bounded reach).
  // With `to`, the span runs from `marked` to the end of `to` after it.
  std::optional<RunSpan> findTarget(std::u16string_view marked, std::u16string_view to = {});
  // The one run that holds `marked` alone; null when it spans several or is not found.
  Run* targetRun(std::u16string_view marked);
  // Whether the paragraph so far ends with `marked` (its ruby and notes aside).
  bool endsWithTarget(std::u16string_view marked);

  // Applies `mark` to the text runs of the span.
  template <typename Marking>
  bool markSpan(std::optional<RunSpan> span, Marking&& mark);

  // 地付き and 地からN字上げ: the text after it ends at the foot, or N cells above.
  // After text on the same line, the text before keeps its place and the rest
  // goes on the same vertical line.
  void raise(int cells, bool range, std::size_t sourceAfter);

  // The text before a break ends its page without ending its line.
  void breakParagraph(std::size_t sourceAfter);
  void addRun(RunKind kind, std::u16string_view text);
  void setLineLength(int cells);

  // A range's indent takes the paragraph not yet begun at once; later lines follow it.
  void setIndent(int first, int rest);

  std::u16string_view source_;
  Document& out_;
  Paragraph paragraph_;
  std::size_t lineNumber_ = 0;
  std::size_t lineStart_ = 0;  // where the line begins in the source
  std::size_t lineLength_ = 0;
  std::u16string composedLine_;       // the line with its accents composed, when it has any
  std::vector<std::size_t> origins_;  // for each of its characters, where it stands in the line
  bool carried_ = false;              // the paragraph was begun by a line of annotations alone
  int rangeIndent_ = 0;
  int rangeRestIndent_ = 0;
  int rangeRaise_ = -1;
  int rangeLineLength_ = 0;
  bool lineLengthWithIndent_ = false;  // the 字詰め range began with an indent range and ends with it
  bool inPropertyList_ = false;
  std::u16string_view annotationText_;  // the annotation being read, as the source writes it
  RunMarks marks_;
  std::optional<RunMarks> lineMarks_;  // the marks to go back to at the line's end (［＃この行は…］)
  RunKind kind_ = RunKind::text;
  std::optional<Mark> explicitBase_;
  std::set<std::u16string> describedSeen_;
  std::optional<Mark> rangeStart_;  // where a ［＃左にルビ付き］ or ［＃注記付き］ range began
  struct Bracket {
    std::size_t open;
    std::size_t close;
  };
  std::vector<Bracket> brackets_;
  std::vector<std::size_t> open_;
  std::vector<std::size_t> notationStarts_;
  std::size_t closedNotation_ = 0;  // ］ and 》 that close something on the line
  std::size_t nextBracket_ = 0;
  std::size_t lastRubyEnd_ = std::u16string_view::npos;
  std::size_t nextRubyStart_ = 0;
  std::size_t nextRubyStartFrom_ = 0;
  bool lineHasRubyStart_ = true;
};

}  // namespace zelvato::aozora
