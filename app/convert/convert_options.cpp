#include "convert_options.h"

#include <getopt.h>

#include <vector>

#include "unicode_text.h"

namespace zelvato::convert {
namespace {

enum class Kind {
  text,
  flag,
  single,
  pages,
  epub,
  pdf,
  paper,
  paperLines,
  manuscript,
  style,
  ruby,
  verbose,
  preview,
  encoding,
  help,
  version
};

// One command-line option: what it sets and how the help shows it. A flag
// comes with its "--no-" form.
struct Option {
  const char* name;
  Kind kind;
  const char* valueName = nullptr;  // the "=N" of a value option in the help
  const char* help = nullptr;
  std::u16string ConversionSettings::*text = nullptr;
  bool ConversionSettings::*flag = nullptr;
  std::optional<SettingField> field = std::nullopt;  // the setting a check may name
  bool showDefault = true;                           // the start value in brackets after the help
  bool listNegation = true;                          // a flag's "--no-" form in the help
  const char* heading = nullptr;                     // printed before the option in the help
};

using S = ConversionSettings;
using F = SettingField;

// Every option, in the order of the help.
const Option options[] = {
    {"chars-per-line", Kind::text, "N", "characters per vertical line", &S::charsPerLine, nullptr,
     F::charsPerLine, true, true, "Layout (numbers are read as the window reads its fields):\n"},
    {"char-spacing", Kind::text, "PT", "spacing between characters", &S::charSpacingPt, nullptr,
     F::charSpacingPt},
    {"lines", Kind::text, "N", "vertical lines per column block", &S::linesPerColumn, nullptr,
     F::linesPerColumn},
    {"line-spacing", Kind::text, "PT", "spacing between vertical lines", &S::lineSpacingPt, nullptr,
     F::lineSpacingPt},
    {"column-gap", Kind::text, "PX", "gap between blocks, with --rule", &S::columnGapPx, nullptr,
     F::columnGapPx},
    {"tab-width", Kind::text, "N", "full-width spaces per tab", &S::tabWidth, nullptr, F::tabWidth},
    {"font", Kind::text, "NAME", "font", &S::fontFace},
    {"font-size", Kind::text, "PT", "font size", &S::fontSizePt},
    {"css", Kind::flag, nullptr, "size and spacing as a style sheet", nullptr, &S::useStyleSheet},
    {"kanji-numerals", Kind::flag, nullptr, "full-width digits as kanji numerals", nullptr,
     &S::kanjiNumerals},
    {"center", Kind::flag, nullptr, "centre every block", nullptr, &S::centerText},
    {"grid", Kind::flag, nullptr, "bars between vertical lines", nullptr, &S::showGrid},
    {"rule", Kind::flag, nullptr, "horizontal rule after every block", nullptr, &S::addRule},
    {"kinsoku", Kind::flag, nullptr, "line-breaking rules: hanging stops, pushed-out marks", nullptr,
     &S::kinsoku, std::nullopt, true, true, "\nTypesetting:\n"},
    {"tate-chu-yoko", Kind::flag, nullptr, "two half-width digits, !? and the like across in one cell",
     nullptr, &S::tateChuYoko},
    {"aozora", Kind::flag, nullptr, "read Aozora Bunko notation (ruby, annotations, header)", nullptr,
     &S::aozoraNotation},
    {"style", Kind::style, "grid|flow",
     "grid: the fixed grid of look-alike characters any browser shows; flow: real text the browser sets "
     "vertically (grid)",
     nullptr, nullptr, std::nullopt, false},
    {"ruby", Kind::ruby, "paren|drop", "with --aozora: ruby in parentheses, or left out (paren)", nullptr,
     nullptr, std::nullopt, false},
    {"verbose", Kind::verbose, nullptr,
     "name the encoding the source was read in; report the annotations that were dropped", nullptr, nullptr,
     std::nullopt, false},
    {"single", Kind::single, "FILE", "one HTML file", &S::singleFilePath, nullptr, F::singleFilePath, false,
     true, "\nOutput:\n"},
    {"pages", Kind::pages, "FOLDER", "numbered page files in FOLDER", &S::outputFolder, nullptr,
     F::outputFolder, false},
    {"epub", Kind::epub, "FILE", "an EPUB 3 book in vertical writing (always UTF-8)", nullptr, nullptr,
     F::epubFilePath, false},
    {"pdf", Kind::pdf, "FILE", "a PDF on manuscript paper, the fonts embedded", nullptr, nullptr,
     std::nullopt, false},
    {"paper", Kind::paper, "a4|b4", "the PDF's paper, landscape (a4)", nullptr, nullptr, std::nullopt, false},
    {"paper-lines", Kind::paperLines, "red-brown|grey", "the colour of the PDF's ruled lines (red-brown)",
     nullptr, nullptr, std::nullopt, false},
    {"manuscript", Kind::manuscript, nullptr, "400-character manuscript paper: 20 x 20 with --kinsoku",
     nullptr, nullptr, std::nullopt, false},
    {"base-name", Kind::text, "NAME", "base name of the page files (NAME001.html, ...)", &S::fileBaseName,
     nullptr, F::fileBaseName, false},
    {"columns-per-page", Kind::text, "N", "column blocks per page file", &S::columnsPerPage},
    {"page-links", Kind::flag, nullptr, "previous/next links at the foot of every page", nullptr,
     &S::addPageLinks, std::nullopt, false, false},
    {"page-numbers", Kind::flag, nullptr, "page number at the foot of every page", nullptr,
     &S::addPageNumbers, std::nullopt, false, false},
    {"title", Kind::text, "TEXT", "HTML title", &S::htmlTitle, nullptr, F::htmlTitle},
    {"body", Kind::text, "TAG",
     "the whole BODY start tag, written as given: it is your own markup (title, font and sizes are escaped, "
     "the BODY tag is not)",
     &S::bodyTag, nullptr, F::bodyTag, false},
    {"preview", Kind::preview, "FILE", "also write the preview file, as the window does", nullptr, nullptr,
     std::nullopt, false},
    {"encoding", Kind::encoding, "ENC", "encoding of the files: shift_jis or utf-8 (shift_jis)", nullptr,
     nullptr, std::nullopt, false},
    {"accessible-text", Kind::flag, nullptr, "every block's text in reading order for screen readers",
     nullptr, &S::accessibleText},
    {"help", Kind::help, nullptr, "show this help and exit", nullptr, nullptr, std::nullopt, false, true,
     "\n"},
    {"version", Kind::version, nullptr, "show the version and exit", nullptr, nullptr, std::nullopt, false},
};
constexpr int optionCount = static_cast<int>(std::size(options));

// getopt_long's table: option i is value firstValue + 2 i, its "--no-" form the next
// value; far from the characters getopt_long returns for its own findings.
constexpr int firstValue = 1000;
struct LongOptions {
  std::vector<std::string> names;
  std::vector<option> table;
  LongOptions() {
    names.reserve(2 * optionCount);
    for (const Option& o : options) {
      names.emplace_back(o.name);
      if (o.kind == Kind::flag) names.push_back(std::string("no-") + o.name);
    }
    std::size_t name = 0;
    for (int i = 0; i < optionCount; ++i) {
      const bool value = options[i].valueName != nullptr;
      table.push_back(
          {names[name++].c_str(), value ? required_argument : no_argument, nullptr, firstValue + 2 * i});
      if (options[i].kind == Kind::flag)
        table.push_back({names[name++].c_str(), no_argument, nullptr, firstValue + 2 * i + 1});
    }
    table.push_back({nullptr, 0, nullptr, 0});
  }
};

}  // namespace

std::string usageText() {
  const ConversionSettings start;
  std::string text =
      "Usage: zelvato-convert [OPTION]... [FILE]\n"
      "Turns Japanese text into HTML that reads as vertical writing.\n"
      "FILE is code page 932, UTF-8, or UTF-16/UTF-32 text with byte-order mark;\n"
      "without FILE, or when FILE is -, standard input is read.\n"
      "Without --single, --pages, --epub or --pdf the markup goes to standard output in UTF-8.\n"
      "\n";
  constexpr std::size_t helpColumn = 25;
  for (const Option& o : options) {
    if (o.heading != nullptr) text += o.heading;
    std::string label = std::string("  --") + o.name;
    if (o.valueName != nullptr) label += std::string("=") + o.valueName;
    if (o.kind == Kind::flag && o.listNegation) label += std::string(", --no-") + o.name;
    text += label;
    text += label.size() < helpColumn - 1 ? std::string(helpColumn - label.size(), ' ')
                                          : "\n" + std::string(helpColumn, ' ');
    text += o.help;
    if (o.showDefault && o.text != nullptr) text += " (" + utf16ToUtf8(start.*o.text) + ")";
    if (o.showDefault && o.flag != nullptr) text += start.*o.flag ? " (on)" : " (off)";
    text += '\n';
  }
  return text +
         "\n"
         "Exit status: 0 when converted, 1 when the conversion failed, 2 when a\n"
         "setting, the input or the command line was not usable. Output files are\n"
         "replaced only when the whole conversion succeeded.\n";
}

ParseResult parseArguments(int argc, char** argv) {
  static const LongOptions longOptions;
  ParseResult result;
  ConversionSettings& s = result.options.settings;
  bool singleGiven = false, pagesGiven = false, epubGiven = false, pdfGiven = false;
  opterr = 0;
  optind = 0;  // reset for repeated calls; 0 also makes glibc re-initialise
  for (;;) {
    int index = 0;
    const int c = getopt_long(argc, argv, ":", longOptions.table.data(), &index);
    if (c == -1) break;
    if (c == ':') {
      result.error = std::string("option '") + argv[optind - 1] + "' needs a value";
      return result;
    }
    if (c < firstValue || c >= firstValue + 2 * optionCount) {
      result.error = std::string("unknown option '") + argv[optind - 1] + "'";
      return result;
    }
    const Option& o = options[(c - firstValue) / 2];
    const std::u16string value = optarg != nullptr ? utf8ToUtf16(optarg) : std::u16string();
    switch (o.kind) {
      case Kind::text:
        // The base name is part of file names, which stay the bytes given.
        s.*o.text = o.text == &S::fileBaseName ? pathToText(optarg) : value;
        break;
      case Kind::flag:
        s.*o.flag = (c - firstValue) % 2 == 0;
        break;
      case Kind::single:
        singleGiven = true;
        s.outputMode = OutputMode::singleFile;
        s.singleFilePath = pathToText(optarg);  // file names stay the bytes given
        break;
      case Kind::pages:
        pagesGiven = true;
        s.outputMode = OutputMode::pageFiles;
        // The page file name follows the folder directly, so it must end with a separator.
        s.outputFolder = pathToText(optarg);
        if (!s.outputFolder.empty() && s.outputFolder.back() != u'/') s.outputFolder += u'/';
        break;
      case Kind::epub:
        epubGiven = true;
        s.outputMode = OutputMode::epub;
        s.epubFilePath = pathToText(optarg);
        break;
      case Kind::pdf:
        pdfGiven = true;
        result.options.pdfPath = optarg;
        break;
      case Kind::paper:
        if (value != u"a4" && value != u"b4") {
          result.error = "--paper takes a4 or b4";
          return result;
        }
        result.options.pdfOnB4 = value == u"b4";
        break;
      case Kind::paperLines:
        if (value != u"red-brown" && value != u"grey") {
          result.error = "--paper-lines takes red-brown or grey";
          return result;
        }
        result.options.greyPaperLines = value == u"grey";
        break;
      case Kind::manuscript:
        s.charsPerLine = u"20";
        s.linesPerColumn = u"20";
        s.kinsoku = true;
        break;
      case Kind::style:
        if (value == u"grid") {
          s.textStyle = TextStyle::grid;
        } else if (value == u"flow") {
          s.textStyle = TextStyle::flow;
        } else {
          result.error = "--style takes grid or flow";
          return result;
        }
        break;
      case Kind::ruby:
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
      case Kind::verbose:
        result.options.verbose = true;
        break;
      case Kind::preview:
        result.options.previewPath = optarg;
        break;
      case Kind::encoding:
        if (value == u"shift_jis") {
          s.outputEncoding = OutputEncoding::shiftJis;
        } else if (value == u"utf-8") {
          s.outputEncoding = OutputEncoding::utf8;
        } else {
          result.error = std::string("--encoding must be shift_jis or utf-8, not '") + optarg + "'";
          return result;
        }
        break;
      case Kind::help:
        result.options.showHelp = true;
        break;
      case Kind::version:
        result.options.showVersion = true;
        break;
    }
  }
  if (int{singleGiven} + int{pagesGiven} + int{epubGiven} + int{pdfGiven} > 1) {
    result.error = "--single, --pages, --epub and --pdf cannot be used together";
    return result;
  }
  if (argc - optind > 1) {
    result.error = "only one input file can be converted at a time";
    return result;
  }
  if (optind < argc) result.options.inputPath = argv[optind];
  return result;
}

std::string optionFor(SettingField field) {
  for (const Option& o : options)
    if (o.field == field) return std::string("--") + o.name;
  return {};
}

}  // namespace zelvato::convert
