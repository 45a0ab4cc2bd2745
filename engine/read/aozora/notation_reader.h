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
// each annotation does in notation_annotations.cpp.
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

  // The line (notation_reader.cpp).
  std::size_t offsetOf(std::u16string_view content, std::size_t at) const;

  // The matching ］ of every ［ of the line (brackets nest), the last 》 in
  // it, and where notation may begin: every ［, ｜ and 《.
  void prepareLine(std::u16string_view content);
  std::size_t nextRubyStart(std::u16string_view content, std::size_t from);

  // The ］ that closes the ［ at `at`; asked in the order of the line.
  std::size_t closeOf(std::size_t at);
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

  // A range begun (［＃太字］, ［＃ここから２段階小さな文字］) or ended (…終わり).
  bool rangeAnnotation(std::u16string_view body);

  // ［＃「X」に傍点］ and its kin follow the X they mark.
  bool targetedAnnotation(std::u16string_view body);
  bool targeted(std::u16string_view marked, std::u16string_view rest);
  static void mergeSideMark(RunMarks& marks, const RunMarks& added);

  // The editor's note after the text it is about (dropped or shown by the writers).
  bool editorNote(std::u16string_view marked, std::u16string_view note);

  // The X of a 「X」 annotation as the run that ends the paragraph, split off
  // from the text before it; null when the paragraph does not end with X.
  Run* tailRun(std::u16string_view marked);

  // Applies `mark` to the runs that hold the text `marked` at the end of the
  // paragraph so far (their ruby aside; 返り点 and notes between are passed).
  template <typename Marking>
  bool markTail(std::u16string_view marked, Marking&& mark);

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
  bool carried_ = false;  // the paragraph was begun by a line of annotations alone
  int rangeIndent_ = 0;
  int rangeRestIndent_ = 0;
  int rangeRaise_ = -1;
  int rangeLineLength_ = 0;
  RunMarks marks_;
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
