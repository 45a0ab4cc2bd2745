#include "convert_options.h"

#include <getopt.h>

#include "number_text.h"
#include "unicode_text.h"

namespace zelvato::convert {
namespace {

enum Option : int {
  charsPerLine = 1000,
  charSpacing,
  lines,
  lineSpacing,
  columnGap,
  tabWidth,
  font,
  fontSize,
  css,
  noCss,
  kanjiNumerals,
  noKanjiNumerals,
  center,
  noCenter,
  grid,
  noGrid,
  rule,
  noRule,
  single,
  pages,
  baseName,
  columnsPerPage,
  pageLinks,
  noPageLinks,
  pageNumbers,
  noPageNumbers,
  title,
  body,
  preview,
  kinsoku,
  tateChuYoko,
  aozora,
  ruby,
  verbose,
  help,
  version,
};

const option longOptions[] = {
    {"chars-per-line", required_argument, nullptr, charsPerLine},
    {"char-spacing", required_argument, nullptr, charSpacing},
    {"lines", required_argument, nullptr, lines},
    {"line-spacing", required_argument, nullptr, lineSpacing},
    {"column-gap", required_argument, nullptr, columnGap},
    {"tab-width", required_argument, nullptr, tabWidth},
    {"font", required_argument, nullptr, font},
    {"font-size", required_argument, nullptr, fontSize},
    {"css", no_argument, nullptr, css},
    {"no-css", no_argument, nullptr, noCss},
    {"kanji-numerals", no_argument, nullptr, kanjiNumerals},
    {"no-kanji-numerals", no_argument, nullptr, noKanjiNumerals},
    {"center", no_argument, nullptr, center},
    {"no-center", no_argument, nullptr, noCenter},
    {"grid", no_argument, nullptr, grid},
    {"no-grid", no_argument, nullptr, noGrid},
    {"rule", no_argument, nullptr, rule},
    {"no-rule", no_argument, nullptr, noRule},
    {"single", required_argument, nullptr, single},
    {"pages", required_argument, nullptr, pages},
    {"base-name", required_argument, nullptr, baseName},
    {"columns-per-page", required_argument, nullptr, columnsPerPage},
    {"page-links", no_argument, nullptr, pageLinks},
    {"no-page-links", no_argument, nullptr, noPageLinks},
    {"page-numbers", no_argument, nullptr, pageNumbers},
    {"no-page-numbers", no_argument, nullptr, noPageNumbers},
    {"title", required_argument, nullptr, title},
    {"body", required_argument, nullptr, body},
    {"preview", required_argument, nullptr, preview},
    {"kinsoku", no_argument, nullptr, kinsoku},
    {"tate-chu-yoko", no_argument, nullptr, tateChuYoko},
    {"aozora", no_argument, nullptr, aozora},
    {"ruby", required_argument, nullptr, ruby},
    {"verbose", no_argument, nullptr, verbose},
    {"help", no_argument, nullptr, help},
    {"version", no_argument, nullptr, version},
    {nullptr, 0, nullptr, 0},
};

}  // namespace

std::string usageText() {
  const ConversionSettings d;
  const auto v = [](const std::u16string& text) { return utf16ToUtf8(text); };
  const auto onOff = [](bool on) { return on ? std::string("on") : std::string("off"); };
  return "Usage: zelvato-convert [OPTION]... [FILE]\n"
         "Turns Japanese text into HTML that reads as vertical writing.\n"
         "FILE is code page 932 or UTF-8 text (with or without byte-order mark);\n"
         "without FILE, or when FILE is -, standard input is read.\n"
         "Without --single or --pages the markup goes to standard output in UTF-8.\n"
         "\n"
         "Layout (numbers are read as the window reads its fields):\n"
         "  --chars-per-line=N     characters per vertical line (" +
         v(d.charsPerLine) +
         ")\n"
         "  --char-spacing=PT      spacing between characters (" +
         v(d.charSpacingPt) +
         ")\n"
         "  --lines=N              vertical lines per column block (" +
         v(d.linesPerColumn) +
         ")\n"
         "  --line-spacing=PT      spacing between vertical lines (" +
         v(d.lineSpacingPt) +
         ")\n"
         "  --column-gap=PX        gap between blocks, with --rule (" +
         v(d.columnGapPx) +
         ")\n"
         "  --tab-width=N          full-width spaces per tab (" +
         v(d.tabWidth) +
         ")\n"
         "  --font=NAME            font (" +
         v(d.fontFace) +
         ")\n"
         "  --font-size=PT         font size (" +
         v(d.fontSizePt) +
         ")\n"
         "  --css, --no-css        size and spacing as a style sheet (" +
         onOff(d.useStyleSheet) +
         ")\n"
         "  --kanji-numerals, --no-kanji-numerals\n"
         "                         full-width digits as kanji numerals (" +
         onOff(d.kanjiNumerals) +
         ")\n"
         "  --center, --no-center  centre every block (" +
         onOff(d.centerText) +
         ")\n"
         "  --grid, --no-grid      bars between vertical lines (" +
         onOff(d.showGrid) +
         ")\n"
         "  --rule, --no-rule      horizontal rule after every block (" +
         onOff(d.addRule) +
         ")\n"
         "\n"
         "Typesetting:\n"
         "  --kinsoku              line-breaking rules: stops and commas hang below a\n"
         "                         full line, closing marks take a character down\n"
         "  --tate-chu-yoko        two half-width digits, !? and the like across in one cell\n"
         "  --aozora               read Aozora Bunko notation (ruby, annotations, header)\n"
         "  --ruby=paren|drop      with --aozora: ruby in parentheses after its base, or\n"
         "                         left out (paren)\n"
         "  --verbose              report the annotations that were dropped\n"
         "\n"
         "Output:\n"
         "  --single=FILE          one HTML file\n"
         "  --pages=FOLDER         numbered page files in FOLDER\n"
         "  --base-name=NAME       base name of the page files (NAME001.html, ...)\n"
         "  --columns-per-page=N   column blocks per page file (" +
         v(d.columnsPerPage) +
         ")\n"
         "  --page-links           previous/next links at the foot of every page\n"
         "  --page-numbers         page number at the foot of every page\n"
         "  --title=TEXT           HTML title (" +
         v(d.htmlTitle) +
         ")\n"
         "  --body=TAG             the whole BODY start tag\n"
         "  --preview=FILE         also write the preview file, as the window does\n"
         "\n"
         "  --help                 show this help and exit\n"
         "  --version              show the version and exit\n"
         "\n"
         "Exit status: 0 when converted, 1 when the conversion failed, 2 when a\n"
         "setting or the command line was not usable.\n";
}

ParseResult parseArguments(int argc, char** argv) {
  ParseResult result;
  ConversionSettings& s = result.options.settings;
  bool singleGiven = false, pagesGiven = false;
  opterr = 0;
  optind = 0;  // reset for repeated calls; 0 also makes glibc re-initialise
  for (;;) {
    int index = 0;
    const int c = getopt_long(argc, argv, ":", longOptions, &index);
    if (c == -1) break;
    const std::u16string value = optarg != nullptr ? utf8ToUtf16(optarg) : std::u16string();
    switch (c) {
      case charsPerLine:
        s.charsPerLine = value;
        break;
      case charSpacing:
        s.charSpacingPt = value;
        break;
      case lines:
        s.linesPerColumn = value;
        break;
      case lineSpacing:
        s.lineSpacingPt = value;
        break;
      case columnGap:
        s.columnGapPx = value;
        break;
      case tabWidth:
        s.tabWidth = value;
        break;
      case font:
        s.fontFace = value;
        break;
      case fontSize:
        s.fontSizePt = value;
        break;
      case css:
        s.useStyleSheet = true;
        break;
      case noCss:
        s.useStyleSheet = false;
        break;
      case kanjiNumerals:
        s.kanjiNumerals = true;
        break;
      case noKanjiNumerals:
        s.kanjiNumerals = false;
        break;
      case center:
        s.centerText = true;
        break;
      case noCenter:
        s.centerText = false;
        break;
      case grid:
        s.showGrid = true;
        break;
      case noGrid:
        s.showGrid = false;
        break;
      case rule:
        s.addRule = true;
        break;
      case noRule:
        s.addRule = false;
        break;
      case single:
        singleGiven = true;
        s.outputMode = OutputMode::singleFile;
        s.singleFilePath = value;
        break;
      case pages:
        pagesGiven = true;
        s.outputMode = OutputMode::pageFiles;
        // The page file name follows the folder directly, so it must end with a separator.
        s.outputFolder = value;
        if (!value.empty() && value.back() != u'/') s.outputFolder += u'/';
        break;
      case baseName:
        s.fileBaseName = value;
        break;
      case columnsPerPage:
        s.columnsPerPage = value;
        break;
      case pageLinks:
        s.addPageLinks = true;
        break;
      case noPageLinks:
        s.addPageLinks = false;
        break;
      case pageNumbers:
        s.addPageNumbers = true;
        break;
      case noPageNumbers:
        s.addPageNumbers = false;
        break;
      case title:
        s.htmlTitle = value;
        break;
      case body:
        s.bodyTag = value;
        break;
      case preview:
        result.options.previewPath = optarg;
        break;
      case kinsoku:
        s.kinsoku = true;
        break;
      case tateChuYoko:
        s.tateChuYoko = true;
        break;
      case aozora:
        s.aozoraNotation = true;
        break;
      case ruby:
        if (value == u"paren") {
          s.rubyMode = RubyMode::paren;
        } else if (value == u"drop") {
          s.rubyMode = RubyMode::drop;
        } else if (value == u"beside") {
          // A ruby beside its base has no room in a grid of monospaced rows.
          result.error = "--ruby=beside is not available: the grid has no room for ruby beside its base";
          return result;
        } else {
          result.error = "--ruby takes paren or drop";
          return result;
        }
        break;
      case verbose:
        result.options.verbose = true;
        break;
      case help:
        result.options.showHelp = true;
        break;
      case version:
        result.options.showVersion = true;
        break;
      case ':':
        result.error = std::string("option '") + argv[optind - 1] + "' needs a value";
        return result;
      default:
        result.error = std::string("unknown option '") + argv[optind - 1] + "'";
        return result;
    }
  }
  if (singleGiven && pagesGiven) {
    result.error = "--single and --pages cannot be used together";
    return result;
  }
  if (argc - optind > 1) {
    result.error = "only one input file can be converted at a time";
    return result;
  }
  if (optind < argc) result.options.inputPath = argv[optind];
  return result;
}

std::optional<CheckFailure> checkSettings(const ConversionSettings& s) {
  const struct {
    const std::u16string& value;
    const char* option;
  } layoutFields[] = {
      {s.charsPerLine, "--chars-per-line"}, {s.charSpacingPt, "--char-spacing"},
      {s.linesPerColumn, "--lines"},        {s.lineSpacingPt, "--line-spacing"},
      {s.columnGapPx, "--column-gap"},      {s.tabWidth, "--tab-width"},
  };
  for (const auto& field : layoutFields)
    if (field.value.empty())
      return CheckFailure{{}, std::string("the value of ") + field.option + " is empty"};
  if (s.outputMode == OutputMode::singleFile && s.singleFilePath.empty())
    return CheckFailure{u"出力先ﾌｧｲﾙ名を指定して下さい", {}};
  if (s.outputMode == OutputMode::pageFiles && s.outputFolder.empty())
    return CheckFailure{u"出力先ﾌｫﾙﾀﾞを指定して下さい", {}};
  if (s.outputMode == OutputMode::pageFiles && s.fileBaseName.empty())
    return CheckFailure{u"出力先ﾌｧｲﾙ名を指定して下さい", {}};
  if (s.outputMode != OutputMode::showOnly && s.htmlTitle.empty())
    return CheckFailure{u"HTMLのﾀｲﾄﾙを指定して下さい", {}};
  if (s.outputMode != OutputMode::showOnly && s.bodyTag.empty())
    return CheckFailure{u"HTMLのBODYﾀｸﾞを指定して下さい", {}};
  return std::nullopt;
}

std::optional<CheckFailure> checkSourceAndSize(const ConversionSettings& s, std::u16string_view source) {
  if (source.empty()) return CheckFailure{{}, "the source text is empty"};
  // Compared as read, before rounding: 2.9 is too few, 3.4 makes 3.
  if (textToNumber(s.charsPerLine) < 3 || textToNumber(s.linesPerColumn) < 3)
    return CheckFailure{{}, "at least 3 characters per line and 3 lines per block are needed"};
  return std::nullopt;
}

}  // namespace zelvato::convert
