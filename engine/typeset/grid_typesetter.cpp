#include "typeset/grid_typesetter.h"

#include <algorithm>
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
#include "typeset/layout_position.h"

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
  options.manuscriptPaper = settings.manuscriptPaper;
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
        position_(grid, handle,
                  !options.lineBreakRules   ? LineEnds::plain
                  : options.manuscriptPaper ? LineEnds::manuscript
                                            : LineEnds::rules,
                  options.blankLineBlocks) {}

  bool run() {
    std::size_t paragraphStart = 0;
    const std::vector<Paragraph>& paragraphs = document_.paragraphs;
    for (std::size_t p = 0; p < paragraphs.size(); ++p) {
      const Paragraph& paragraph = paragraphs[p];
      unitsLeft_ = paragraph.sourceEnd > paragraphStart ? paragraph.sourceEnd - paragraphStart : 0;
      handled_ = paragraphStart_ = paragraphStart;
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
    if (!counting_ && rubyInParentheses && !run.text.empty()) {
      const char16_t first = unifyCodePagePair(widenCharacter(run.text.front()));
      if (!position_.keepTogether(static_cast<int>(characterCount(run.text) + characterCount(run.ruby) + 2),
                                  options_.lineBreakRules ? breakClass(first) : BreakClass::free, first))
        return false;
    }
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

  // 縦中横 by annotation: two characters of ASCII (or their full-width forms, set
  // half-width) across in one cell, which is all a cell holds; any other run one per cell.
  bool setAcross(std::u16string_view text) {
    const auto narrow = [](char16_t c) -> char16_t {
      if (c >= u'!' && c <= u'~') return c;
      return c >= u'！' && c <= u'～' ? static_cast<char16_t>(c - u'！' + u'!') : char16_t{0};
    };
    if (text.size() != 2 || narrow(text[0]) == 0 || narrow(text[1]) == 0) return setText(text);
    if (!enterPosition(2)) return false;
    const char16_t pair[] = {narrow(text[0]), narrow(text[1])};
    const bool digits = pair[0] >= u'0' && pair[0] <= u'9' && pair[1] >= u'0' && pair[1] <= u'9';
    const BreakClass breaking = options_.lineBreakRules && !digits ? BreakClass::noBegin : BreakClass::free;
    return take(put(std::u16string_view(pair, 2), breaking, 0), text);
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
    characterStart_ = handled_;
    unitsLeft_ -= step;
    report(handled_ + step);
    return !host_.stopRequested();
  }

  bool take(GridCell* cell, std::u16string_view source) {
    if (cell == nullptr) return false;
    if (counting_) return true;
    // A mark that shares the cell below the frame with another adds its own.
    if (options_.readingText) cell->source.append(source);
    if (heading_) cell->heading = true;
    // Two characters across in one cell, or a tab's spaces: the cell keeps the first one's place.
    if (cell->sourceOffset == GridCell::noSource) {
      const auto unit = [](std::size_t at) {
        return static_cast<std::uint32_t>(std::min<std::size_t>(at, GridCell::noSource - 1));
      };
      cell->sourceParagraph = unit(paragraphStart_);
      cell->sourceOffset = unit(characterStart_);
    }
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
      } else if (options_.tateChuYoko && mayStartTateChuYoko(c) &&
                 !(options_.kanjiNumerals && c >= u'0' && c <= u'9') && startsTateChuYoko(text, k)) {
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
            if (!dropsSpace() && !placeUnit(u'\u3000', u"\u3000")) return false;
        } else if (wide == u'\u3000' && dropsSpace()) {
          // A space that a wrap brings to the head of a line is not set there.
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

  bool dropsSpace() const { return !counting_ && position_.dropsSpace(); }

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
  std::size_t paragraphStart_ = 0;  // the source unit the paragraph being set begins at
  std::size_t characterStart_ = 0;  // the source unit the character being set was read at
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
