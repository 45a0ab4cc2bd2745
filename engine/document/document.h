#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zelvato {

// The text as read, before any medium: paragraphs of runs, each run with the
// marks its notation gave it. Every writer reads this; none reads the source.

// The side of the vertical line a mark stands on.
enum class Side : std::uint8_t { right, left };

// Emphasis marks (傍点) beside each character of a run.
enum class EmphasisKind : std::uint8_t {
  none,
  sesame,         // ﹅ 傍点
  whiteSesame,    // ﹆ 白ゴマ傍点
  blackCircle,    // ● 丸傍点
  whiteCircle,    // ○ 白丸傍点
  blackTriangle,  // ▲ 黒三角傍点
  whiteTriangle,  // △ 白三角傍点
  doubleCircle,   // ◎ 二重丸傍点
  bullseye,       // ◉ 蛇の目傍点
  cross,          // × ばつ傍点
};

// Lines beside the text (傍線).
enum class LineKind : std::uint8_t { none, solid, doubled, chain, dashed, wavy };

// What a run is, beyond plain text.
enum class RunKind : std::uint8_t {
  text,
  gaijiDescription,  // a character with no code: `text` is its description
  kaeriten,          // 返り点 (レ 一 二 …) after the character it follows
  kuntenOkurigana,   // 訓点送り仮名 （ノ） set small beside the text
  warichu,           // 割り注: a note set small in two lines
  editorNote,        // ママ, 底本では…: the editor's, not the author's
  illustration,      // 挿絵: `text` is the caption, `target` the file
};

// Characters set smaller, larger or raised.
enum class Script : std::uint8_t { normal, superscript, subscript, small };

struct RunMarks {
  EmphasisKind emphasis = EmphasisKind::none;
  Side emphasisSide = Side::right;
  LineKind line = LineKind::none;
  Side lineSide = Side::right;
  bool tateChuYoko = false;  // set across by annotation
  bool bold = false;
  bool italic = false;
  bool boxed = false;       // 罫囲み
  bool horizontal = false;  // 横組み
  bool gothic = false;      // ゴシック体: a sans-serif face among the text's own
  Script script = Script::normal;
  std::int8_t sizeStep = 0;  // steps larger (+) or smaller (-)

  bool operator==(const RunMarks&) const = default;
};

struct Run {
  std::u16string text;
  std::u16string ruby;  // the reading set beside `text`; empty when there is none
  Side rubySide = Side::right;
  RunKind kind = RunKind::text;
  RunMarks marks;
  std::u16string target;  // the file of an illustration
};

enum class PageBreak : std::uint8_t {
  none,
  page,    // 改ページ
  sheet,   // 改丁: the next right-hand page
  spread,  // 改見開き
  column,  // 改段: a new column block
};

// How a paragraph sits on its vertical lines.
struct ParagraphStyle {
  int firstIndent = 0;     // empty cells before the first vertical line
  int restIndent = 0;      // before each vertical line it wraps to
  int raiseFromFoot = -1;  // -1: from the head; N: ends N cells above the foot (0 is 地付き)
  int headingLevel = 0;    // 1 大見出し, 2 中見出し, 3 小見出し
  PageBreak breakBefore = PageBreak::none;
  bool centredOnPage = false;  // ページの左右中央
  int lineLength = 0;          // 字詰め: a vertical line holds at most this many cells (0: no bound)

  bool operator==(const ParagraphStyle&) const = default;
};

struct Paragraph {
  std::vector<Run> runs;
  ParagraphStyle style;
  // A line end in the source closes the paragraph; false for the last line of
  // a text without a final line end, or a line cut by a page break.
  bool endsLine = true;
  // The source code units read up to the end of this paragraph, its line end
  // included: the typesetter reports progress in these.
  std::size_t sourceEnd = 0;
};

// An annotation nothing reads: how often it stands, and the source line it first stands on.
struct UnreadAnnotation {
  std::size_t count = 0;
  std::size_t firstLine = 0;
};

struct Document {
  std::u16string title;
  std::u16string author;
  std::vector<Paragraph> paragraphs;
  std::size_t sourceLength = 0;
  // Annotations that nothing reads, counted.
  std::size_t unreadAnnotations = 0;
  // The notation read, by kind ("傍点", "割り注" …), and the annotations nothing
  // reads, by their text (each kept in its place as an editor's note).
  std::map<std::u16string, std::size_t> notationCounts;
  std::map<std::u16string, UnreadAnnotation> unreadByText;
  // The descriptions of the characters that have no code, in order of first use.
  std::vector<std::u16string> describedGaiji;
};

}  // namespace zelvato
