#include "typeset/grid_typesetter.h"

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "document/number_text.h"
#include "text/html_text.h"
#include "text/kinsoku.h"
#include "text/tate_chu_yoko.h"
#include "text/unicode_text.h"
#include "text/vertical_forms.h"
#include "text/widening.h"

namespace zelvato {

GridLayoutOptions gridLayoutOptions(const ConversionSettings& settings) {
  GridLayoutOptions options;
  const auto side = [](const NumberField& number) { return toWholeNumber(number.value()).value_or(0); };
  options.charsPerLine = side(settings.charsPerLine);
  options.linesPerColumn = side(settings.linesPerColumn);
  const double tab = std::floor(settings.tabWidth.value());
  options.tabCells = !(tab >= 1) ? 0 : tab >= maxTabCells ? maxTabCells : static_cast<int>(tab);
  options.kanjiNumerals = settings.kanjiNumerals;
  options.lineBreakRules = settings.kinsoku;
  options.tateChuYoko = settings.tateChuYoko;
  options.rubyMode = settings.rubyMode;
  options.readingText = settings.accessibleText;
  options.editorNotes = settings.showEditorNotes;
  return options;
}

GridBlock makeGrid(const GridLayoutOptions& options) {
  return GridBlock(options.charsPerLine, options.linesPerColumn, options.lineBreakRules);
}

namespace {

// The layout position (row and vertical line) and its moves: a character goes
// to the next cell, a carriage return ends the vertical line, and a block is
// handed on when a character no longer fits. With the line-breaking rules, a
// full stop or comma that would begin a vertical line hangs below the line it
// ends; a character that must not begin a line takes the character before it
// down to the next line, into the next block when the line was the block's
// last; an opening bracket that would fill the last cell moves to the next
// line. A push never empties a line. Indentation makes every new vertical line
// begin after empty cells.
class LayoutPosition {
 public:
  LayoutPosition(GridBlock& grid, const BlockHandler& handle, bool lineBreakRules, bool blankLineBlocks)
      : grid_(grid),
        handle_(handle),
        rules_(lineBreakRules && grid.hasHangingRow()),
        blankLineBlocks_(blankLineBlocks),
        rows_(grid.charsPerLine()),
        lines_(grid.linesPerColumn()) {}

  // Stores one cell. `breaking` says how the character may stand at the ends
  // of a line; `original` is its widened form, so that two of —— … ‥ stay together.
  GridCell* place(std::u16string_view text, BreakClass breaking, char16_t original) {
    // Away from the line's end no rule applies: the character takes the next cell.
    if (row_ + 1 < rows_) return store(++row_, text);
    return placeAtLineEnd(text, breaking, original);
  }
  bool carriageReturn();
  // Hands the block on now, marked as ending its page; the text goes on in a new block.
  bool breakPage();
  // Every vertical line begun from here on starts after `cells` empty cells
  // (at most all but one); a line not yet begun starts so at once.
  void setIndent(int cells);
  // 字詰め: from here on a vertical line ends after `cells` cells when that is
  // shorter than the grid's line (0: the grid's line). Nothing hangs below a shortened line.
  void setLineLength(int cells) {
    rows_ = cells > 0 && cells < grid_.charsPerLine() ? cells : grid_.charsPerLine();
  }
  // Indentation for the lines a paragraph wraps to, once it has begun.
  void setContinuationIndent(int cells) { indent_ = cells < 0 ? 0 : cells; }
  // Moves to the next line first when `cells` cells that belong together would
  // not fit on what is left of this one but fit on a line of their own.
  bool keepTogether(int cells);
  // The final hand-on of whatever the grid holds.
  bool finish() { return handOn(true); }
  // Hands the block on without ending its page: the text goes on in a new column block.
  bool breakColumn();
  // A vertical line of its own: to the next line unless this one is untouched.
  bool freshLine() { return lineUntouched_ || advanceLine(0); }
  // The next `cells` cells end `raise` cells above the foot of the line: on
  // this line when they fit after what it holds, else on the next one. Text
  // longer than a line starts at the head as any other.
  bool alignToFoot(int cells, int raise);
  // The grid's block holds no text yet.
  bool blockUntouched() const { return grid_.isEmpty(); }
  GridBlock& grid() { return grid_; }
  // At the head of an untouched block, leaves `lines` vertical lines empty before the text.
  void skipLines(int lines) {
    if (lineUntouched_ && line_ == 1 && lines > 0 && lines < lines_) line_ += lines;
  }

 private:
  GridCell* placeAtLineEnd(std::u16string_view text, BreakClass breaking, char16_t original);
  GridCell* store(int row, std::u16string_view text) {
    GridCell& target = grid_.cell(row, line_);
    // Nearly every cell is one code unit: stored without the general copy.
    if (text.size() == 1) {
      target.text.clear();
      target.text.push_back(text.front());
    } else {
      target.text.assign(text);
    }
    lineUntouched_ = false;
    return &target;
  }
  bool handOn(bool last = false) {
    if (grid_.isEmpty() && !grid_.endsPage() && (last || !blankLineBlocks_ || !endsAnyLine())) {
      grid_.clear();
      return true;
    }
    const bool handled = handle_(grid_);
    grid_.clear();
    return handled;
  }
  bool endsAnyLine() const {
    for (int line = 1; line <= lines_; ++line)
      if (grid_.endsWithReturn(line)) return true;
    return false;
  }
  bool advanceLine(int emptyCells);
  bool push();
  bool lineHasText(int fromRow, int toRow) const;
  bool mustNotBegin(BreakClass breaking, char16_t original) const;
  int indentCells() const { return indent_ < rows_ ? indent_ : rows_ - 1; }

  GridBlock& grid_;
  const BlockHandler& handle_;
  const bool rules_;
  const bool blankLineBlocks_;
  int rows_;         // C, or the shorter line of a 字詰め range
  const int lines_;  // L
  int row_ = 0;
  int line_ = 1;
  int indent_ = 0;
  int lineStartRow_ = 0;  // the row the current line began at, before its indent
  bool lineUntouched_ = true;
  bool footAligned_ = false;                 // the line's text was set to end at a distance from the foot
  BreakClass lastBreak_ = BreakClass::free;  // of the character in the line's last cell
  char16_t lastOriginal_ = 0;
};

// To the next vertical line, or to the first of a new block after handing on
// the full one. `emptyCells` is 1 when a carriage return ends a full line
// without the line-breaking rules: that line's first cell stays empty.
bool LayoutPosition::advanceLine(int emptyCells) {
  if (line_ < lines_) {
    ++line_;
  } else {
    if (!handOn()) return false;
    line_ = 1;
  }
  lineStartRow_ = emptyCells;
  row_ = emptyCells + indentCells();
  lineUntouched_ = true;
  footAligned_ = false;
  return true;
}

bool LayoutPosition::lineHasText(int fromRow, int toRow) const {
  for (int row = fromRow; row <= toRow; ++row)
    if (!grid_.cell(row, line_).empty()) return true;
  return false;
}

bool LayoutPosition::mustNotBegin(BreakClass breaking, char16_t original) const {
  switch (breaking) {
    case BreakClass::noBegin:
    case BreakClass::hangable:  // reached only when the hanging cell is taken
      return true;
    case BreakClass::inseparable:
      return original == lastOriginal_;
    default:
      return false;
  }
}

// Moves the end of the full line down to the next one: its last character,
// with the mark hanging below it, and with the character before when the last
// one must not begin a line itself (す。」 goes down as one). False, moving
// nothing, when the line would be left without text or the next line could
// not take them.
bool LayoutPosition::push() {
  const int hangingRow = grid_.rowCount();
  int first = rows_;
  if ((lastBreak_ == BreakClass::noBegin || lastBreak_ == BreakClass::hangable) && rows_ > 1 &&
      !grid_.cell(rows_ - 1, line_).empty())
    first = rows_ - 1;
  if (!lineHasText(1, first - 1)) return false;
  int count = 0;
  for (int row = first; row <= hangingRow; ++row)
    if (!grid_.cell(row, line_).empty()) ++count;
  if (indentCells() + count + 1 > rows_) return false;
  GridCell moved[3];
  for (int row = first, i = 0; row <= hangingRow; ++row)
    if (!grid_.cell(row, line_).empty()) moved[i++] = std::exchange(grid_.cell(row, line_), {});
  if (!advanceLine(0)) return false;
  for (int i = 0; i < count; ++i) grid_.cell(++row_, line_) = std::move(moved[i]);
  lineUntouched_ = false;
  return true;
}

GridCell* LayoutPosition::placeAtLineEnd(std::u16string_view text, BreakClass breaking, char16_t original) {
  if (row_ < rows_) {
    // An opening bracket does not end a line: it begins the next one instead.
    if (rules_ && breaking == BreakClass::noEnd && row_ == rows_ - 1 && lineHasText(1, rows_ - 1)) {
      if (!advanceLine(0)) return nullptr;
    }
    ++row_;
  } else if (rules_ && breaking == BreakClass::hangable && rows_ == grid_.charsPerLine() &&
             grid_.cell(grid_.rowCount(), line_).empty() && !grid_.cell(rows_, line_).empty()) {
    // Hangs below the full line, in the block that line belongs to; the next
    // character still begins the next line.
    GridCell& hanging = grid_.cell(grid_.rowCount(), line_);
    hanging.text.assign(text);
    return &hanging;
  } else if (rules_ && mustNotBegin(breaking, original) && push()) {
    ++row_;
  } else {
    if (!advanceLine(0)) return nullptr;
    ++row_;
  }
  GridCell* cell = store(row_, text);
  if (row_ == rows_) {
    lastBreak_ = breaking;
    lastOriginal_ = original;
  }
  return cell;
}

// A carriage return on a full line is itself the move to the next line; without
// the line-breaking rules it leaves that line's first cell empty. After a
// hanging mark it ends the line the mark hangs from: the next line starts at its top.
bool LayoutPosition::carriageReturn() {
  grid_.markReturn(line_);
  // Text set to end at the foot fills its line on purpose: the next line starts at its head.
  if (row_ < rows_ || rules_ || footAligned_) return advanceLine(0);
  return advanceLine(1);
}

bool LayoutPosition::breakColumn() {
  if (grid_.isEmpty()) return true;
  if (!handOn()) return false;
  line_ = 1;
  lineStartRow_ = 0;
  row_ = indentCells();
  lineUntouched_ = true;
  footAligned_ = false;
  return true;
}

bool LayoutPosition::alignToFoot(int cells, int raise) {
  if (raise < 0 || cells <= 0) return true;
  if (raise > rows_ - 1) raise = rows_ - 1;
  const int start = rows_ - raise - cells;  // the row after which the text begins
  if (start < 0) return true;
  if (row_ > start) {
    if (!advanceLine(0)) return false;
    if (row_ > start) return true;  // the indent leaves too little room: from the indent
  }
  row_ = start;
  lineUntouched_ = false;
  footAligned_ = true;
  return true;
}

bool LayoutPosition::breakPage() {
  grid_.markPageEnd();
  if (!handOn()) return false;
  line_ = 1;
  lineStartRow_ = 0;
  row_ = indentCells();
  lineUntouched_ = true;
  return true;
}

void LayoutPosition::setIndent(int cells) {
  indent_ = cells < 0 ? 0 : cells;
  if (lineUntouched_) row_ = lineStartRow_ + indentCells();
}

bool LayoutPosition::keepTogether(int cells) {
  if (lineUntouched_ || cells > rows_ - indentCells() || row_ + cells <= rows_) return true;
  return advanceLine(0);
}

// The full-width katakana of a half-width one followed by its voiced (゛) or
// semi-voiced (゜) mark, composed into one character; 0 when there is none.
char16_t composedKana(char16_t wide, char16_t mark) {
  if (mark == u'\uFF9E') {
    if (wide == u'ウ') return u'ヴ';
    if ((wide >= u'カ' && wide <= u'チ' && (wide - u'カ') % 2 == 0) || wide == u'ツ' || wide == u'テ' ||
        wide == u'ト')
      return static_cast<char16_t>(wide + 1);
    if (wide >= u'ハ' && wide <= u'ホ' && (wide - u'ハ') % 3 == 0) return static_cast<char16_t>(wide + 1);
  } else if (mark == u'\uFF9F') {
    if (wide >= u'ハ' && wide <= u'ホ' && (wide - u'ハ') % 3 == 0) return static_cast<char16_t>(wide + 2);
  }
  return 0;
}

// Kana and kanji, nearly every character of a Japanese text: full width
// already, no control character, and no member of a pair that code page 932
// makes one.
bool isKanaOrKanji(char16_t c) {
  return c >= u'\u3040' && c <= u'\u9FFF';
}

bool isFullWidthDigit(char16_t c) {
  return (c >= u'０' && c <= u'９') || (c >= u'0' && c <= u'9');
}

// The typesetting of one document: the character loop over its runs.
class Typesetter {
 public:
  Typesetter(const Document& document, const GridLayoutOptions& options, GridBlock& grid,
             ConversionHost& host, const BlockHandler& handle)
      : document_(document),
        options_(options),
        host_(host),
        position_(grid, handle, options.lineBreakRules, options.blankLineBlocks) {}

  bool run() {
    std::size_t paragraphStart = 0;
    const std::vector<Paragraph>& paragraphs = document_.paragraphs;
    for (std::size_t p = 0; p < paragraphs.size(); ++p) {
      const Paragraph& paragraph = paragraphs[p];
      unitsLeft_ = paragraph.sourceEnd > paragraphStart ? paragraph.sourceEnd - paragraphStart : 0;
      handled_ = paragraphStart;
      if (!beginParagraph(paragraph)) return false;
      if (paragraph.style.centredOnPage) centrePage(p);
      if (!setRuns(paragraph)) return false;
      handled_ = paragraph.sourceEnd;
      if (paragraph.endsLine && !position_.carriageReturn()) return false;
      paragraphStart = paragraph.sourceEnd;
    }
    if (reported_ != document_.sourceLength) report(document_.sourceLength);
    return position_.finish();
  }

 private:
  bool beginParagraph(const Paragraph& paragraph) {
    const ParagraphStyle& style = paragraph.style;
    switch (style.breakBefore) {
      case PageBreak::page:
      case PageBreak::sheet:
      case PageBreak::spread:
        if (!position_.breakPage()) return false;
        break;
      case PageBreak::column:
        if (!position_.breakColumn()) return false;
        break;
      default:
        break;
    }
    lastCell_ = nullptr;
    position_.setLineLength(style.lineLength);
    // A heading begins a vertical line of its own; a block that begins with it is named after it.
    heading_ = style.headingLevel > 0;
    if (heading_) {
      if (!position_.freshLine()) return false;
      if (position_.blockUntouched()) {
        std::u16string text;
        for (const Run& run : paragraph.runs)
          if (run.kind == RunKind::text) text += run.text;
        position_.grid().setLeadingHeading(std::move(text));
      }
    }
    position_.setIndent(style.firstIndent);
    continuationIndent_ = style.restIndent;
    firstInParagraph_ = style.restIndent != style.firstIndent;
    if (style.raiseFromFoot >= 0 && !position_.alignToFoot(cellsOf(paragraph), style.raiseFromFoot))
      return false;
    return true;
  }

  // ページの左右中央: the text up to the next page break, when it takes one
  // block, stands in the middle of it, as many empty lines before it as after.
  void centrePage(std::size_t from) {
    const std::vector<Paragraph>& paragraphs = document_.paragraphs;
    int lines = 0;
    for (std::size_t p = from; p < paragraphs.size(); ++p) {
      if (p > from && paragraphs[p].style.breakBefore != PageBreak::none) break;
      const ParagraphStyle& style = paragraphs[p].style;
      const int rows = style.lineLength > 0 && style.lineLength < options_.charsPerLine
                           ? style.lineLength
                           : options_.charsPerLine;
      int cells = style.firstIndent + cellsOf(paragraphs[p]);
      int paragraphLines = 1;
      if (cells > rows && rows > style.restIndent) {
        cells -= rows;
        paragraphLines += (cells + rows - style.restIndent - 1) / (rows - style.restIndent);
      }
      lines += paragraphLines;
      if (lines > options_.linesPerColumn) return;
    }
    position_.skipLines((options_.linesPerColumn - lines) / 2);
  }

  // The cells the paragraph's runs take, counted by setting them without a grid.
  int cellsOf(const Paragraph& paragraph) {
    counting_ = true;
    counted_ = 0;
    setRuns(paragraph);
    counting_ = false;
    return counted_;
  }

  bool setRuns(const Paragraph& paragraph) {
    const std::vector<Run>& runs = paragraph.runs;
    for (std::size_t r = 0; r < runs.size(); ++r) {
      // A 割り注 stands in parentheses, however many runs it holds.
      const bool note = runs[r].kind == RunKind::warichu;
      if (note && (r == 0 || runs[r - 1].kind != RunKind::warichu) && !setPlain(u"（")) return false;
      if (!setRun(runs[r])) return false;
      if (note && (r + 1 == runs.size() || runs[r + 1].kind != RunKind::warichu) && !setPlain(u"）"))
        return false;
    }
    return true;
  }

  bool setPlain(std::u16string_view text) {
    marks_ = {};
    return setText(text);
  }

  bool setRun(const Run& run) {
    switch (run.kind) {
      case RunKind::text:
      case RunKind::warichu:
        break;
      case RunKind::gaijiDescription:
        return setPlain(u"※（" + run.text + u"）");
      case RunKind::kaeriten:
      case RunKind::kuntenOkurigana:
        return setKunten(run);
      case RunKind::editorNote:
        return !options_.editorNotes || setPlain(u"（" + run.text + u"）");
      case RunKind::illustration:
        return setPlain(run.text.empty() ? u"（挿絵）" : u"（挿絵：" + run.text + u"）");
    }
    marks_ = run.marks;
    const bool rubyInParentheses = !run.ruby.empty() && options_.rubyMode == RubyMode::paren;
    // Ruby stays on the vertical line of its base.
    if (!counting_ && rubyInParentheses &&
        !position_.keepTogether(static_cast<int>(characterCount(run.text) + characterCount(run.ruby) + 2)))
      return false;
    // Left out of the cells, the ruby goes with the first cell of its base.
    if (!run.ruby.empty() && !rubyInParentheses && !counting_) {
      pendingRuby_ = &run.ruby;
      pendingRubyCells_ = static_cast<int>(characterCount(run.text));
    }
    const bool set = run.marks.tateChuYoko ? setAcross(run.text) : setText(run.text);
    pendingRuby_ = nullptr;
    if (!set) return false;
    if (rubyInParentheses) {
      static constexpr std::u16string_view open = u"（", close = u"）";
      if (!setPlain(open) || !setText(run.ruby) || !setText(close)) return false;
    }
    return true;
  }

  // 訓点: one katakana of 訓点送り仮名 goes small into the right padding of the
  // kanji it follows, レ into the left; when the padding is taken or the
  // character has no half-width form, the text takes the cells after it.
  bool setKunten(const Run& run) {
    if (counting_ && run.text.size() == 1 &&
        (run.kind == RunKind::kuntenOkurigana ? halfWidthKatakana(run.text.front()) != 0 : run.text == u"レ"))
      return true;  // counted as set in the padding
    if (!counting_ && run.text.size() == 1 && lastCell_ != nullptr && lastCell_->text.size() == 1 &&
        isKanji(lastCell_->text.front())) {
      const bool okurigana = run.kind == RunKind::kuntenOkurigana;
      const char16_t small = okurigana ? halfWidthKatakana(run.text.front())
                                       : (run.text.front() == u'レ' ? u'\uFF9A' : char16_t{0});
      const Side side = okurigana ? Side::right : Side::left;
      GridCell& cell = *lastCell_;
      const bool taken = (side == Side::right ? cell.rightNote : cell.leftNote) != 0 ||
                         (cell.emphasis != EmphasisKind::none && cell.emphasisSide == side) ||
                         (cell.line != LineKind::none && cell.lineSide == side);
      if (small != 0 && !taken) {
        (side == Side::right ? cell.rightNote : cell.leftNote) = small;
        return true;
      }
    }
    return setPlain(run.text);
  }

  static bool isKanji(char16_t c) {
    return (c >= u'\u4E00' && c <= u'\u9FFF') || (c >= u'\u3400' && c <= u'\u4DBF') || c == u'々';
  }

  // The half-width form of a plain full-width katakana; 0 when it has none.
  static char16_t halfWidthKatakana(char16_t c) {
    constexpr std::u16string_view full =
        u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲンァィゥ"
        u"ェォャュョッ";
    constexpr std::u16string_view half = u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝｧｨｩｪｫｬｭｮｯ";
    const std::size_t at = full.find(c);
    return at == std::u16string_view::npos ? char16_t{0} : half[at];
  }

  // 縦中横 by annotation: two half-width characters across in one cell, else one per cell.
  bool setAcross(std::u16string_view text) {
    const auto narrow = [](char16_t c) { return c >= u'!' && c <= u'~'; };
    if (text.size() != 2 || !narrow(text[0]) || !narrow(text[1])) return setText(text);
    if (!enterPosition(2)) return false;
    const BreakClass breaking = options_.lineBreakRules ? BreakClass::noBegin : BreakClass::free;
    return take(put(text, breaking, 0), text);
  }

  GridCell* put(std::u16string_view text, BreakClass breaking, char16_t original) {
    if (counting_) {
      ++counted_;
      return &scratch_;
    }
    lastCell_ = position_.place(text, breaking, original);
    return lastCell_;
  }

  static std::size_t characterCount(std::u16string_view text) {
    std::size_t count = 0;
    for (const char16_t c : text) count += isLowSurrogate(c) ? 0 : 1;
    return count;
  }

  void report(std::size_t units) {
    handled_ = reported_ = units;
    const auto capped = units > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())
                            ? std::numeric_limits<std::int32_t>::max()
                            : static_cast<std::int32_t>(units);
    host_.progressMade(capped);
  }

  // Every character is a position: its source units count, and a stop is noticed there.
  bool enterPosition(std::size_t units) {
    if (counting_) return true;
    const std::size_t step = units < unitsLeft_ ? units : unitsLeft_;
    unitsLeft_ -= step;
    report(handled_ + step);
    return !host_.stopRequested();
  }

  bool take(GridCell* cell, std::u16string_view source) {
    if (cell == nullptr) return false;
    if (counting_) return true;
    if (options_.readingText) cell->source.assign(source);
    if (heading_) cell->heading = true;
    if (pendingRuby_ != nullptr) {
      cell->ruby = *pendingRuby_;
      cell->rubyCells = pendingRubyCells_;
      pendingRuby_ = nullptr;
    }
    if (firstInParagraph_) {
      position_.setContinuationIndent(continuationIndent_);
      firstInParagraph_ = false;
    }
    return true;
  }

  // One character after widening and tab expansion: classed for the
  // line-breaking rules, then its place in the grid.
  bool placeUnit(char16_t c, std::u16string_view source) {
    const char16_t unified = isKanaOrKanji(c) ? c : unifyCodePagePair(c);
    const BreakClass breaking = options_.lineBreakRules ? breakClass(unified) : BreakClass::free;
    GridCell* cell = put(std::u16string_view(&unified, 1), breaking, unified);
    if (cell != nullptr && !counting_ &&
        (marks_.emphasis != EmphasisKind::none || marks_.line != LineKind::none)) {
      cell->emphasis = marks_.emphasis;
      cell->emphasisSide = marks_.emphasisSide;
      cell->line = marks_.line;
      cell->lineSide = marks_.lineSide;
    }
    return take(cell, source);
  }

  bool setText(std::u16string_view text) {
    const std::size_t length = text.size();
    for (std::size_t k = 0; k < length;) {
      const char16_t c = text[k];
      if (isHighSurrogate(c) && k + 1 < length && isLowSurrogate(text[k + 1])) {
        // A character beyond the basic plane fills one cell and has no other form.
        if (!enterPosition(2)) return false;
        if (!take(put(text.substr(k, 2), BreakClass::free, 0), text.substr(k, 2))) return false;
        k += 2;
      } else if (options_.tateChuYoko && mayStartTateChuYoko(c) && startsTateChuYoko(text, k)) {
        // Two half-width characters across in one cell: four display positions, as any cell.
        if (!enterPosition(2)) return false;
        const char16_t pair[] = {narrowMark(c), narrowMark(text[k + 1])};
        const BreakClass breaking =
            options_.lineBreakRules && !(c >= u'0' && c <= u'9') ? BreakClass::noBegin : BreakClass::free;
        if (!take(put(std::u16string_view(pair, 2), breaking, 0), text.substr(k, 2))) return false;
        k += 2;
      } else {
        if (options_.lineBreakRules && options_.kanjiNumerals && isFullWidthDigit(c) &&
            (k == 0 || !isFullWidthDigit(text[k - 1])) && !keepNumberTogether(text, k))
          return false;
        // A control character would reach the page and the terminal raw; it
        // takes its cell as U+FFFD instead. Tab and line feed keep their roles.
        const bool kanaOrKanji = isKanaOrKanji(c);
        const bool stray = !kanaOrKanji && isStrayControl(c);
        char16_t wide = kanaOrKanji ? c : stray ? u'\uFFFD' : widenCharacter(c);
        std::size_t units = 1;
        if (k + 1 < length && (text[k + 1] == u'\uFF9E' || text[k + 1] == u'\uFF9F') && c != text[k + 1]) {
          if (const char16_t composed = composedKana(wide, text[k + 1]); composed != 0 && c >= u'\uFF61') {
            wide = composed;
            units = 2;
          }
        }
        if (!enterPosition(units)) return false;
        if (wide == u'\t') {
          for (int i = 0; i < options_.tabCells; ++i)
            if (!placeUnit(u'\u3000', u"\u3000")) return false;
        } else if (wide == u'\r') {
          if (!counting_ && !position_.carriageReturn()) return false;
        } else if (wide != u'\n') {
          if (!placeUnit(wide, stray ? std::u16string_view(u"\uFFFD") : text.substr(k, units))) return false;
        }
        k += units;
      }
      if (!counting_) host_.yieldToEvents();
    }
    return true;
  }

  // A number set in kanji numerals stays on one vertical line when it fits one.
  bool keepNumberTogether(std::u16string_view text, std::size_t k) {
    if (counting_) return true;
    std::size_t end = k;
    while (end < text.size() && isFullWidthDigit(text[end])) ++end;
    if (end - k < 2) return true;
    return position_.keepTogether(static_cast<int>(end - k));
  }

  const Document& document_;
  const GridLayoutOptions& options_;
  ConversionHost& host_;
  LayoutPosition position_;
  RunMarks marks_;
  bool counting_ = false;  // the runs are counted in cells, not set
  int counted_ = 0;
  GridCell scratch_;
  GridCell* lastCell_ = nullptr;                 // the cell set last; emptied when its character moved on
  const std::u16string* pendingRuby_ = nullptr;  // the ruby of the base now being set
  int pendingRubyCells_ = 0;
  std::size_t handled_ = 0;
  std::size_t reported_ = 0;
  std::size_t unitsLeft_ = 0;
  int continuationIndent_ = 0;
  bool firstInParagraph_ = false;
  bool heading_ = false;  // the paragraph being set is a heading
};

}  // namespace

bool typesetGrid(const Document& document, const GridLayoutOptions& options, GridBlock& grid,
                 ConversionHost& host, const BlockHandler& handle) {
  if (grid.holdsNoCell()) return false;
  return Typesetter(document, options, grid, host, handle).run();
}

}  // namespace zelvato
