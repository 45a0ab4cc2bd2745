#include "options/option_table.h"

#include <iterator>
#include <vector>

#include "text/unicode_text.h"

namespace zelvato {
namespace {

using S = ConversionSettings;
using F = SettingField;
using T = OptionType;
using G = OptionGroup;

constexpr OptionChoice rubyChoices[] = {
    {"paren", static_cast<int>(RubyMode::paren)},
    {"drop", static_cast<int>(RubyMode::drop)},
    // A ruby beside its base has no room in a grid of monospaced rows.
    {"beside", -1, "the grid has no room for ruby beside its base"},
};
constexpr OptionChoice styleChoices[] = {
    {"grid", static_cast<int>(TextStyle::grid)},
    {"flow", static_cast<int>(TextStyle::flow)},
};
constexpr OptionChoice formChoices[] = {
    {"look-alike", 0},
    {"unicode", 1},
};
constexpr OptionChoice editorNoteChoices[] = {
    {"drop", 0},
    {"show", 1},
};
constexpr OptionChoice paperChoices[] = {
    {"a4", 0},
    {"b4", 1},
};
constexpr OptionChoice paperLineChoices[] = {
    {"red-brown", 0},
    {"grey", 1},
};
constexpr OptionChoice encodingChoices[] = {
    {"shift_jis", static_cast<int>(OutputEncoding::shiftJis)},
    {"utf-8", static_cast<int>(OutputEncoding::utf8)},
};

const OptionEntry options[] = {
    // Layout
    {.key = "charsPerLine",
     .type = T::number,
     .group = G::layout,
     .flag = "chars-per-line",
     .valueName = "N",
     .help = "characters per vertical line",
     .caption = u"桁数",
     .control = "txtAppearance(0)",
     .number = &S::charsPerLine,
     .field = F::charsPerLine},
    {.key = "charSpacingPt",
     .type = T::number,
     .group = G::layout,
     .flag = "char-spacing",
     .valueName = "PT",
     .help = "spacing between characters, in points",
     .caption = u"字間隔",
     .control = "txtAppearance(1)",
     .number = &S::charSpacingPt,
     .field = F::charSpacingPt},
    {.key = "linesPerColumn",
     .type = T::number,
     .group = G::layout,
     .flag = "lines",
     .valueName = "N",
     .help = "vertical lines per column block",
     .caption = u"行数",
     .control = "txtAppearance(2)",
     .number = &S::linesPerColumn,
     .field = F::linesPerColumn},
    {.key = "lineSpacingPt",
     .type = T::number,
     .group = G::layout,
     .flag = "line-spacing",
     .valueName = "PT",
     .help = "spacing between vertical lines, in points",
     .caption = u"行間隔",
     .control = "txtAppearance(3)",
     .number = &S::lineSpacingPt,
     .field = F::lineSpacingPt},
    {.key = "columnGapPx",
     .type = T::number,
     .group = G::layout,
     .flag = "column-gap",
     .valueName = "PX",
     .help = "gap between blocks, in pixels, with --rule",
     .caption = u"コラム間隔",
     .control = "txtAppearance(4)",
     .number = &S::columnGapPx,
     .field = F::columnGapPx},
    {.key = "tabWidth",
     .type = T::number,
     .group = G::layout,
     .flag = "tab-width",
     .valueName = "N",
     .help = "full-width spaces per tab",
     .caption = u"タブカラム",
     .control = "txtAppearance(5)",
     .number = &S::tabWidth,
     .field = F::tabWidth},
    {.key = "fontFace",
     .type = T::text,
     .group = G::layout,
     .flag = "font",
     .valueName = "NAME",
     .help = "font of the rows",
     .caption = u"ﾌｫﾝﾄ",
     .control = "txtFont(0)",
     .text = &S::fontFace},
    {.key = "fontSizePt",
     .type = T::number,
     .group = G::layout,
     .flag = "font-size",
     .valueName = "PT",
     .help = "font size, in points",
     .caption = u"ﾌｫﾝﾄｻｲｽﾞ",
     .control = "txtFont(1)",
     .number = &S::fontSizePt,
     .field = F::fontSizePt},
    {.key = "useStyleSheet",
     .type = T::flag,
     .group = G::layout,
     .flag = "css",
     .help = "size and spacing as a style sheet",
     .caption = u"スタイルシート(CSS)で詳細な調整を行う",
     .control = "chkCSS",
     .onOff = &S::useStyleSheet},
    {.key = "kanjiNumerals",
     .type = T::flag,
     .group = G::layout,
     .flag = "kanji-numerals",
     .help = "full-width digits as kanji numerals",
     .caption = u"漢数字変換",
     .control = "chkOpt(0)",
     .onOff = &S::kanjiNumerals},
    {.key = "centerText",
     .type = T::flag,
     .group = G::layout,
     .flag = "center",
     .help = "centre every block",
     .caption = u"ｾﾝﾀﾘﾝｸﾞする",
     .control = "chkOpt(5)",
     .onOff = &S::centerText},
    {.key = "showGrid",
     .type = T::flag,
     .group = G::layout,
     .flag = "grid",
     .help = "bars between vertical lines",
     .caption = u"ｸﾞﾘｯﾄﾞ表示",
     .control = "chkOpt(2)",
     .onOff = &S::showGrid},
    {.key = "addRule",
     .type = T::flag,
     .group = G::layout,
     .flag = "rule",
     .help = "horizontal rule after every block",
     .caption = u"HRﾎﾞｰﾀﾞｰを付加",
     .control = "chkOpt(3)",
     .onOff = &S::addRule},

    // Typesetting
    {.key = "kinsoku",
     .type = T::flag,
     .group = G::typesetting,
     .flag = "kinsoku",
     .help = "line-breaking rules: hanging stops, pushed-out marks",
     .details = "A full stop or comma that would begin a vertical line hangs below the line it ends "
                "(every block gets one more row for them); a closing mark, small kana or prolonged "
                "sound mark takes the character before it down to the next line; an opening bracket "
                "does not end a line.",
     .caption = u"禁則処理",
     .control = "chkTypeset(0)",
     .onOff = &S::kinsoku},
    {.key = "tateChuYoko",
     .type = T::flag,
     .group = G::typesetting,
     .flag = "tate-chu-yoko",
     .help = "two half-width digits, !? and the like across in one cell",
     .details = "Two half-width digits that are not part of a longer number, and !! !? ?! ??, are set "
                "across in one cell.",
     .caption = u"縦中横",
     .control = "chkTypeset(1)",
     .onOff = &S::tateChuYoko},
    {.key = "aozoraNotation",
     .type = T::flag,
     .group = G::typesetting,
     .flag = "aozora",
     .help = "read Aozora Bunko notation (ruby, annotations, header)",
     .details = "Ruby, annotations (page breaks, indentation, emphasis dots, gaiji) and the file's "
                "header are read; the title becomes the HTML title when --title is not given.",
     .caption = u"青空文庫注記",
     .control = "chkTypeset(2)",
     .settingsKey = "aozora",
     .onOff = &S::aozoraNotation},
    {.key = "textStyle",
     .type = T::choice,
     .group = G::typesetting,
     .flag = "style",
     .valueName = "grid|flow",
     .help = "grid: the fixed grid any browser shows; flow: real text the browser sets vertically",
     .details = "flow writes an HTML5 page with writing-mode: vertical-rl: the source's own characters, "
                "ruby, emphasis marks and numbers across, readable on a phone and copied as text; page "
                "files break at the text's page breaks.",
     .caption = u"組版方式",
     .control = "optStyle",
     .choiceOf = [](const S& s) { return static_cast<int>(s.textStyle); },
     .setChoice = [](S& s, int v) { s.textStyle = static_cast<TextStyle>(v); },
     .choices = styleChoices},
    {.key = "rubyMode",
     .type = T::choice,
     .group = G::typesetting,
     .flag = "ruby",
     .valueName = "paren|drop",
     .help = "with --aozora: ruby in parentheses, or left out",
     .details = "paren writes the ruby in parentheses after its base, drop leaves it out.",
     .caption = u"ルビ",
     .control = "optRuby",
     .choiceOf = [](const S& s) { return static_cast<int>(s.rubyMode); },
     .setChoice = [](S& s, int v) { s.rubyMode = static_cast<RubyMode>(v); },
     .choices = rubyChoices},

    {.key = "showEditorNotes",
     .type = T::choice,
     .group = G::typesetting,
     .flag = "editor-notes",
     .valueName = "show|drop",
     .help = "with --aozora: the editor's notes (ママ, 底本では…) shown small in parentheses, or left out",
     .caption = u"校訂注記を表示",
     .control = "chkEditorNotes",
     .settingsKey = "editorNotes",
     .choiceOf = [](const S& s) { return s.showEditorNotes ? 1 : 0; },
     .setChoice = [](S& s, int v) { s.showEditorNotes = v == 1; },
     .choices = editorNoteChoices},
    {.key = "doubleBracketForms",
     .type = T::flag,
     .group = G::typesetting,
     .flag = "double-brackets",
     .help = "『』 in look-alikes of their own (┓┗), told apart from 「」 (┐└)",
     .caption = u"『』を二重かぎの形にする",
     .control = "chkDoubleBrackets",
     .settingsKey = "doubleBrackets",
     .onOff = &S::doubleBracketForms},
    {.key = "unicodeVerticalForms",
     .type = T::choice,
     .group = G::typesetting,
     .flag = "vertical-forms",
     .valueName = "look-alike|unicode",
     .help = "punctuation and brackets as look-alike characters, or as Unicode's vertical forms",
     .details = "unicode writes the vertical presentation forms (︒︑﹁﹂﹃﹄︵︶︙ ...) where there is one; "
                "they copy and search as their horizontal characters after NFKC. Best with --encoding=utf-8: "
                "code page 932 has none of them.",
     .caption = u"縦書き用字形を使う",
     .control = "chkVerticalForms",
     .settingsKey = "verticalForms",
     .choiceOf = [](const S& s) { return s.unicodeVerticalForms ? 1 : 0; },
     .setChoice = [](S& s, int v) { s.unicodeVerticalForms = v == 1; },
     .choices = formChoices},
    // Output (the media themselves come from the writer registry, first in the group)
    {.key = "paperB4",
     .type = T::choice,
     .group = G::output,
     .flag = "paper",
     .valueName = "a4|b4",
     .help = "the PDF's paper, landscape",
     .caption = u"原稿用紙の用紙",
     .control = "optPaper",
     .settingsKey = "paper",
     .choiceOf = [](const S& s) { return s.paperB4 ? 1 : 0; },
     .setChoice = [](S& s, int v) { s.paperB4 = v == 1; },
     .choices = paperChoices},
    {.key = "greyPaperLines",
     .type = T::choice,
     .group = G::output,
     .flag = "paper-lines",
     .valueName = "red-brown|grey",
     .help = "the colour of the PDF's ruled lines",
     .caption = u"原稿用紙の罫線",
     .control = "optPaperLines",
     .settingsKey = "paperLines",
     .choiceOf = [](const S& s) { return s.greyPaperLines ? 1 : 0; },
     .setChoice = [](S& s, int v) { s.greyPaperLines = v == 1; },
     .choices = paperLineChoices},
    {.key = "pdfFontFace",
     .type = T::text,
     .group = G::output,
     .flag = "pdf-font",
     .valueName = "NAME",
     .help = "the PDF's font (the first installed Mincho when not given)",
     .details = "The Mincho faces are tried in this order: IPAexMincho, IPAMincho, Noto Serif CJK JP, "
                "BIZ UDMincho. A font that is not installed or holds no Japanese characters is replaced "
                "by the first of them, and standard error says so; --verbose names the font used.",
     .text = &S::pdfFontFace,
     .showStart = false},
    {.key = "manuscript",
     .type = T::action,
     .group = G::output,
     .flag = "manuscript",
     .help = "400-character manuscript paper: 20 x 20 with --kinsoku",
     .showStart = false},
    {.key = "outDir",
     .type = T::path,
     .group = G::output,
     .flag = "out-dir",
     .valueName = "DIR",
     .help = "every FILE into DIR/NAME.html, several at once",
     .details = "With --epub, --pdf or --text given without a file, every FILE gets that medium instead "
                "(DIR/NAME.epub, .pdf, .txt), one book per input. "
                "NAME is the file's name without its extension; an input whose NAME an earlier input has "
                "is written to NAME-2.html (NAME-3.html, ...), and standard error says so. Each file is "
                "converted as --single would convert it; a file that fails is named with its reason and "
                "the others go on. The outputs are put in place in groups of 64 inputs, each group "
                "together or not at all.",
     .showStart = false},
    {.key = "fileBaseName",
     .type = T::path,
     .group = G::output,
     .flag = "base-name",
     .valueName = "NAME",
     .help = "base name of the page files (NAME001.html, ...)",
     .details = "A name with /, \\, .., control characters or a leading URL scheme is refused.",
     .caption = u"ﾌｧｲﾙ名（拡張子は付けないで下さい）",
     .control = "txtOutput(2)",
     .text = &S::fileBaseName,
     .field = F::fileBaseName,
     .showStart = false},
    {.key = "columnsPerPage",
     .type = T::number,
     .group = G::output,
     .flag = "columns-per-page",
     .valueName = "N",
     .help = "column blocks per page file",
     .caption = u"１ﾍﾟｰｼﾞ当りｺﾗﾑ数",
     .control = "txtPageColum",
     .number = &S::columnsPerPage,
     .field = F::columnsPerPage},
    {.key = "addPageLinks",
     .type = T::flag,
     .group = G::output,
     .flag = "page-links",
     .help = "previous/next links at the foot of every page",
     .caption = u"ﾍﾟｰｼﾞﾘﾝｸを付加する",
     .control = "chkOutput(0)",
     .onOff = &S::addPageLinks,
     .showStart = false,
     .listNegation = false},
    {.key = "addPageNumbers",
     .type = T::flag,
     .group = G::output,
     .flag = "page-numbers",
     .help = "page number at the foot of every page",
     .caption = u"ﾍﾟｰｼﾞ番号を付加する",
     .control = "chkOutput(1)",
     .onOff = &S::addPageNumbers,
     .showStart = false,
     .listNegation = false},
    {.key = "htmlTitle",
     .type = T::text,
     .group = G::output,
     .flag = "title",
     .valueName = "TEXT",
     .help = "HTML title",
     .caption = u"HTMLのﾀｲﾄﾙ",
     .control = "txtOutput(3)",
     .text = &S::htmlTitle,
     .field = F::htmlTitle},
    {.key = "bodyTag",
     .type = T::text,
     .group = G::output,
     .flag = "body",
     .valueName = "TAG",
     .help = "the whole BODY start tag, written as given: it is your own markup (title, font and sizes are "
             "escaped, the BODY tag is not)",
     .caption = u"BODYﾀｸﾞ",
     .control = "txtOutput(4)",
     .text = &S::bodyTag,
     .field = F::bodyTag,
     .showStart = false},
    {.key = "preview",
     .type = T::path,
     .group = G::output,
     .flag = "preview",
     .valueName = "FILE",
     .help = "also write the preview file, as the window does",
     .showStart = false},
    {.key = "outputEncoding",
     .type = T::choice,
     .group = G::output,
     .flag = "encoding",
     .valueName = "ENC",
     .help = "encoding of the files: shift_jis or utf-8",
     .caption = u"文字コード",
     .control = "optEncoding",
     .choiceOf = [](const S& s) { return static_cast<int>(s.outputEncoding); },
     .setChoice = [](S& s, int v) { s.outputEncoding = static_cast<OutputEncoding>(v); },
     .choices = encodingChoices},
    {.key = "accessibleText",
     .type = T::flag,
     .group = G::output,
     .flag = "accessible-text",
     .help = "every block's text in reading order for screen readers",
     .caption = u"読み上げ用テキストを付ける",
     .control = "chkAccessibleText",
     .onOff = &S::accessibleText},

    // The converter's own
    {.key = "force",
     .type = T::action,
     .group = G::other,
     .flag = "force",
     .help = "write the output even when it would be far larger than the source",
     .details = "Without it, an output that would be over 100 times the source and over 256 MB is refused, "
                "and the pictures of a text's illustrations are read up to 256 MB together (a picture "
                "beyond that is shown by its caption).",
     .showStart = false},
    {.key = "verbose",
     .type = T::action,
     .group = G::other,
     .flag = "verbose",
     .help = "name the encoding the source was read in; with --aozora, a table of the notation read by kind "
             "and each annotation not read (kept in its place as the editor's note) with the line it first "
             "stands on",
     .showStart = false},
    {.key = "help",
     .type = T::action,
     .group = G::other,
     .flag = "help",
     .help = "show this help and exit",
     .showStart = false},
    {.key = "version",
     .type = T::action,
     .group = G::other,
     .flag = "version",
     .help = "show the version and exit",
     .showStart = false},
};

}  // namespace

std::span<const OptionEntry> optionTable() {
  // The book's options, declared in a file of their own, before the converter's own.
  static const std::vector<OptionEntry> all = [] {
    std::vector<OptionEntry> list;
    bool bookListed = false;
    for (const OptionEntry& o : options) {
      if (o.group == G::other && !bookListed) {
        const std::span<const OptionEntry> book = bookOptions();
        list.insert(list.end(), book.begin(), book.end());
        bookListed = true;
      }
      list.push_back(o);
    }
    return list;
  }();
  return all;
}

const OptionEntry* findOption(std::string_view key) {
  for (const OptionEntry& o : optionTable())
    if (o.key == key) return &o;
  return nullptr;
}

const OptionEntry* optionFor(SettingField field) {
  for (const OptionEntry& o : optionTable())
    if (o.field == field) return &o;
  return nullptr;
}

std::string startValueText(const OptionEntry& option) {
  const ConversionSettings start;
  if (option.text != nullptr) return utf16ToUtf8(start.*option.text);
  if (option.number != nullptr) return utf16ToUtf8((start.*option.number).typed());
  if (option.onOff != nullptr) return start.*option.onOff ? "on" : "off";
  if (option.choiceOf != nullptr) {
    const int value = option.choiceOf(start);
    for (const OptionChoice& c : option.choices)
      if (c.value == value && c.refusal.empty()) return std::string(c.word);
  }
  return {};
}

std::string_view groupHeading(OptionGroup group) {
  switch (group) {
    case OptionGroup::layout:
      return "Layout";
    case OptionGroup::typesetting:
      return "Typesetting";
    case OptionGroup::output:
      return "Output";
    case OptionGroup::book:
      return "Book (PDF)";
    case OptionGroup::other:
      return "Other";
  }
  return {};
}

}  // namespace zelvato
