#pragma once

#include <functional>
#include <map>
#include <string>

#include "document/number_text.h"

namespace zelvato {

// How the text is set: in the grid of look-alike characters that any browser
// shows, or as real text that the browser (or e-reader) sets vertically itself.
enum class TextStyle { grid, flow };

// The encoding of the preview and output files, declared in each of them.
enum class OutputEncoding { shiftJis, utf8 };
// How the ruby of Aozora Bunko notation is written: in parentheses after its
// base (漢字（かんじ）), or dropped so that the base stands alone.
enum class RubyMode { paren, drop };

// How real text (the flowing page and the book) is set: in vertical lines read
// right to left, or in horizontal lines read left to right, for readers that
// cannot set vertical text.
enum class WritingMode { vertical, horizontal };
// The family of the reading type: Mincho, as books are set, or Gothic.
enum class Typeface { mincho, gothic };
// The typeset book's page and 基本版面 to start from (typeset/book/book_format.cpp).
enum class BookPreset { bunko, shinsho, b6, a5, ereader };
// Where a chapter (the text's highest headings) begins: on the next odd
// page (改丁), on the next page, or on the next line.
enum class ChapterStart { oddPage, newPage, runOn };
// Where an opening bracket that begins a paragraph stands: 天付き, 二分下げ,
// 全角下げ, 全角二分下げ.
enum class BracketStart { flush, half, full, fullAndHalf };

// Every option the engine reads during one run. Numbers are read where they
// are given and keep the text typed beside their value. The defaults are the
// main window's start values, so a default record converts as a fresh window does.
struct ConversionSettings {
  NumberField charsPerLine = u"25";
  NumberField charSpacingPt = u"9";
  NumberField linesPerColumn = u"20";
  NumberField lineSpacingPt = u"0";
  NumberField columnGapPx = u"6";
  NumberField tabWidth = u"2";
  std::u16string fontFace = u"ＭＳ ゴシック";
  NumberField fontSizePt = u"9";
  bool useStyleSheet = true;
  bool centerText = true;
  bool addRule = false;
  bool showGrid = false;
  bool kanjiNumerals = true;
  bool doubleBracketForms = false;    // 『』 in look-alikes of their own, told apart from 「」
  bool unicodeVerticalForms = false;  // Unicode's vertical presentation forms instead of look-alikes
  // Where the output goes besides the HTML pane and the preview file: the key
  // of a medium in the writer registry (write/registry/writer_registry.h),
  // "show" for none, "single", "pages", "epub", "text" ...
  std::string outputMode = "show";
  // The files of the first media, which the window binds to fields of their own.
  std::u16string singleFilePath;  // "single"
  std::u16string epubFilePath;    // "epub"
  std::u16string outputFolder;  // "pages": ends with the path separator; the page file name follows directly
  // The file (or folder) of every other medium, by its key: a medium added to
  // the registry needs no field here.
  std::map<std::string, std::u16string, std::less<>> outputPaths;
  std::u16string fileBaseName;
  std::u16string htmlTitle = u"タイトル未設定";
  // The folder of the source file, where the pictures of its illustrations
  // lie; empty when the text has no file (the captions stand for them).
  std::u16string sourceFolder;
  std::u16string bodyTag =
      u"<BODY BGCOLOR=\"#FFFFFF\" LEFTMARGIN=0 TOPMARGIN=0 RIGHTMARGIN=0 BOTTOMMARGIN=0 "
      u"MARGINWIDTH=0 MARGINHEIGHT=0>";
  NumberField columnsPerPage = u"2";
  bool addPageLinks = false;
  bool addPageNumbers = false;
  OutputEncoding outputEncoding = OutputEncoding::shiftJis;
  // Hides each block's rows from screen readers and puts the block's text in
  // reading order beside them, visually hidden.
  bool accessibleText = false;
  // Typesetting options; with all three off the layout is the plain cell-by-cell one.
  bool kinsoku = false;         // line-breaking rules: hanging stops and commas, pushing out
  bool tateChuYoko = false;     // two half-width digits (or !? pairs) across in one cell
  bool aozoraNotation = false;  // ruby, annotations and header of an Aozora Bunko text
  // The notation of the novel-posting sites: |漢字《かんじ》, 《《傍点》》 (Aozora
  // Bunko notation wins where both are asked for).
  bool webNotation = false;
  bool furiganaParens = false;  // with it, 漢字（かんじ）: 1 to 10 kana in parentheses after kanji are ruby
  // The blocks are written on manuscript paper (the PDF's sheets): its own
  // rules for the line ends (small kana may begin a line, 」 hangs below it).
  bool manuscriptPaper = false;
  RubyMode rubyMode = RubyMode::paren;
  bool showEditorNotes = false;  // 校訂注記を表示: the editor's notes (ママ, 底本では…) in parentheses
  TextStyle textStyle = TextStyle::grid;
  // The type of the flowing page and the EPUB, their own and not the grid's:
  // relative sizes, so that the reader's own size setting works.
  Typeface readingTypeface = Typeface::mincho;
  std::u16string readingFontFace;           // a face named before the family's (none when empty)
  NumberField readingFontSize = u"100";     // percent of the reader's size
  NumberField readingLineHeight = u"1.75";  // times the size
  WritingMode writingMode = WritingMode::vertical;
  // The book's cover: a JPEG or PNG picture; empty: a cover of its own with
  // the title and author set vertically.
  std::u16string coverFile;
  bool paperB4 = false;         // the PDF on B4 rather than A4, landscape either way
  bool greyPaperLines = false;  // the PDF's ruled lines grey rather than red-brown
  // The typeset book (PDF): a preset of page and 基本版面, and the values that
  // change it; an empty number keeps the preset's.
  BookPreset bookPreset = BookPreset::bunko;
  NumberField bookChars;          // characters per line (per 段)
  NumberField bookLines;          // lines per page
  NumberField bookFontSize;       // points
  NumberField bookLinePitch;      // 行送り, points
  NumberField bookColumns;        // 段
  NumberField bookTopMargin;      // 天, millimetres
  NumberField bookBottomMargin;   // 地
  NumberField bookGutter;         // ノド
  NumberField bookForeEdge;       // 小口
  NumberField bookBleed = u"0";   // millimetres of bleed round the trimmed page, with crop marks
  bool bookHanging = false;       // ぶら下げ: stops and commas may hang below a full line
  bool bookTitlePage = true;      // 扉
  bool bookContents = false;      // 目次 with page numbers
  bool bookColophon = true;       // 奥付
  bool bookRunningHead = true;    // 柱
  bool bookUprightLatin = false;  // Western words upright letter by letter instead of turned
  ChapterStart bookChapterStart = ChapterStart::oddPage;
  BracketStart bookBracketStart = BracketStart::half;
  std::u16string pdfFontFace;  // the PDF's face; empty: the first installed Mincho
  // The pictures of a run are read up to 256 MB together; beyond that only when forced.
  bool forcePictures = false;
  // The flowing preview names, on each paragraph, where its line begins in the
  // source, for the window that shows the page beside the source.
  bool previewMarks = false;
};

}  // namespace zelvato
