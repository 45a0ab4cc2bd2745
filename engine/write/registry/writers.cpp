// Every medium a run can write, once each: adding a medium is its writer and
// an entry here.

#include <memory>
#include <vector>

#include "io/staged_files.h"
#include "write/book/book_pdf_writer.h"
#include "write/grid_html/page_writer.h"
#include "write/manuscript/manuscript_pdf_writer.h"
#include "write/registry/writer_registry.h"
#include "write/xhtml/epub_writer.h"
#include "write/xhtml/flow_html_writer.h"

namespace zelvato {

// Plain UTF-8 text (write/text/text_writer.cpp).
std::unique_ptr<DocumentSink> makeTextWriter(const WriterContext& context);

namespace {

// Several writers of one run, each handed everything in turn. Their files are
// the run's: the writers share the locks of the folders they write into (the
// preview and the book in one folder), and every file is put in place
// together, or none is. Each writer's commit hands its files over (DeferredCommit).
class WriterList : public DocumentSink {
 public:
  explicit WriterList(const WriterContext& context) : files_(context.staging) {
    files_.stopWhen([&host = context.host] {
      host.yieldToEvents();
      return host.stopRequested();
    });
  }
  void add(std::unique_ptr<DocumentSink> writer) { writers_.push_back(std::move(writer)); }
  bool wantsBlocks() const override {
    for (const auto& writer : writers_)
      if (writer->wantsBlocks()) return true;
    return false;
  }
  bool begin(const Document& document) override {
    const DeferredCommit together(files_);
    for (const auto& writer : writers_)
      if (!writer->begin(document)) return false;
    return true;
  }
  bool block(const GridBlock& block) override {
    const DeferredCommit together(files_);
    for (const auto& writer : writers_)
      if (writer->wantsBlocks() && !writer->block(block)) return false;
    return true;
  }
  bool finish(bool completed) override {
    bool finished = true;
    {
      const DeferredCommit together(files_);
      for (const auto& writer : writers_) finished = writer->finish(completed) && finished;
    }
    if (completed && finished && files_.commit()) return true;
    files_.discard();
    return finished && !completed;
  }
  std::optional<FileFailure> failure() const override {
    for (const auto& writer : writers_)
      if (auto failed = writer->failure()) return failed;
    return files_.failure();
  }
  void keepIntact(const std::string& path) override {
    for (const auto& writer : writers_) writer->keepIntact(path);
  }
  std::vector<std::string> retiredFiles() const override { return files_.retiredFiles(); }
  std::optional<WriterFace> faceUsed() const override {
    for (const auto& writer : writers_)
      if (auto face = writer->faceUsed()) return face;
    return std::nullopt;
  }
  std::optional<int> pagesWritten() const override {
    for (const auto& writer : writers_)
      if (auto pages = writer->pagesWritten()) return pages;
    return std::nullopt;
  }

 private:
  std::vector<std::unique_ptr<DocumentSink>> writers_;
  StagedFiles files_;
};

// HTML pages, in the grid or as flowing text as the settings choose.
std::unique_ptr<DocumentSink> pages(const WriterContext& context, PageDestination destination) {
  if (context.settings.textStyle == TextStyle::flow)
    return std::make_unique<FlowHtmlWriter>(context, destination);
  return std::make_unique<GridHtmlWriter>(context, destination);
}

// A medium of real text shows that text as a flowing page in the preview and
// the HTML pane.
std::unique_ptr<DocumentSink> withFlowingPreview(const WriterContext& context,
                                                 std::unique_ptr<DocumentSink> writer) {
  auto writers = std::make_unique<WriterList>(context);
  writers->add(std::make_unique<FlowHtmlWriter>(context, PageDestination::previewOnly));
  writers->add(std::move(writer));
  return writers;
}

// The manuscript, shown in the preview as the grid of its sheets when a
// preview file is asked for.
std::unique_ptr<DocumentSink> manuscript(const WriterContext& context) {
  auto pdf = std::make_unique<manuscript::ManuscriptPdfWriter>(context);
  if (context.previewFilePath.empty()) return pdf;
  auto writers = std::make_unique<WriterList>(context);
  writers->add(std::make_unique<GridHtmlWriter>(context, PageDestination::previewOnly));
  writers->add(std::move(pdf));
  return writers;
}

using namespace std::string_view_literals;

// The output settings each medium's files depend on, by option key.
constexpr std::string_view shownGrid[] = {"outputEncoding"sv, "accessibleText"sv};
constexpr std::string_view shownFlow[] = {"outputEncoding"sv};
constexpr std::string_view gridFile[] = {"htmlTitle"sv, "bodyTag"sv, "outputEncoding"sv, "accessibleText"sv};
constexpr std::string_view flowFile[] = {"htmlTitle"sv, "outputEncoding"sv};
constexpr std::string_view gridPages[] = {"fileBaseName"sv,   "columnsPerPage"sv, "addPageLinks"sv,
                                          "addPageNumbers"sv, "htmlTitle"sv,      "bodyTag"sv,
                                          "outputEncoding"sv, "accessibleText"sv};
// Flowing pages break at the text's page breaks, not after a number of blocks.
constexpr std::string_view flowPages[] = {"fileBaseName"sv, "addPageLinks"sv, "addPageNumbers"sv,
                                          "htmlTitle"sv, "outputEncoding"sv};
// The book is always UTF-8 and real text: it writes no BODY tag and no reading text.
constexpr std::string_view book[] = {"htmlTitle"sv};
constexpr std::string_view manuscriptPaper[] = {"paperB4"sv, "greyPaperLines"sv};
constexpr std::string_view bookPages[] = {
    "bookPreset"sv,    "bookChars"sv,     "bookLines"sv,        "bookFontSize"sv,     "bookLinePitch"sv,
    "bookColumns"sv,   "bookTopMargin"sv, "bookBottomMargin"sv, "bookGutter"sv,       "bookForeEdge"sv,
    "bookBleed"sv,     "bookHanging"sv,   "bookBracketStart"sv, "bookChapterStart"sv, "bookUprightLatin"sv,
    "bookTitlePage"sv, "bookContents"sv,  "bookColophon"sv,     "bookRunningHead"sv,  "pdfFontFace"sv};

constexpr std::u16string_view fileFieldCaption = u"出力先ﾌｧｲﾙ名";

const WriterEntry writers[] = {
    {.key = writerKeys::showOnly,
     .flag = {},
     .valueName = {},
     .help = {},
     .choiceCaption = u"HTMLﾌｧｲﾙは自動作成しない",
     .remembered = "0",
     .needs = {true, shownGrid},
     .flowNeeds = MediumNeeds{false, shownFlow},
     .make = [](const WriterContext& c) { return pages(c, PageDestination::previewOnly); }},
    {.key = writerKeys::singleFile,
     .flag = "single",
     .valueName = "FILE",
     .help = "one HTML file",
     .destination = Destination::file,
     .fileKind = u"HTMLﾌｧｲﾙ",
     .dialogFilter = u"HTMLﾌｧｲﾙ (*.html)",
     .defaultExtension = ".html",
     .choiceCaption = u"一つのHTMLﾌｧｲﾙへ出力する",
     .pathCaption = fileFieldCaption,
     .pathControl = "txtOutput(0)",
     .chooserControl = "cmdFileSelect",
     .remembered = "1",
     .pathSettingsKey = "output/file",
     .pathField = &ConversionSettings::singleFilePath,
     .pathSetting = SettingField::singleFilePath,
     .needs = {true, gridFile},
     .flowNeeds = MediumNeeds{false, flowFile},
     .make = [](const WriterContext& c) { return pages(c, PageDestination::singleFile); }},
    {.key = writerKeys::pageFiles,
     .flag = "pages",
     .valueName = "FOLDER",
     .help = "numbered page files in FOLDER",
     .details = "Pages of an earlier, longer run under the same base name (NAME###.html numbered after the "
                "new last page) are removed, and standard error says so.",
     .destination = Destination::folder,
     .choiceCaption = u"複数のHTMLﾌｧｲﾙへ分割出力する",
     .pathCaption = u"出力先ﾌｫﾙﾀﾞ",
     .pathControl = "txtOutput(1)",
     .chooserControl = "cmdFolderSelect",
     .remembered = "2",
     .pathSettingsKey = "output/folder",
     .pathField = &ConversionSettings::outputFolder,
     .pathSetting = SettingField::outputFolder,
     .needs = {true, gridPages},
     .flowNeeds = MediumNeeds{false, flowPages},
     .make = [](const WriterContext& c) { return pages(c, PageDestination::pageFiles); }},
    {.key = writerKeys::epub,
     .flag = "epub",
     .valueName = "FILE",
     .help = "an EPUB 3 book in vertical writing, right to left (always UTF-8)",
     .details = "One content document per page break (a text without breaks is cut at its headings), "
                "the headings in the table of contents, title and author from --title or the Aozora "
                "Bunko header.",
     .destination = Destination::file,
     .fileKind = u"EPUBﾌｧｲﾙ",
     .dialogFilter = u"EPUBﾌｧｲﾙ (*.epub)",
     .defaultExtension = ".epub",
     .choiceCaption = u"EPUB (電子書籍)",
     .pathCaption = fileFieldCaption,
     .pathControl = "txtOutput(5)",
     .chooserControl = "cmdEpubSelect",
     .remembered = "3",
     .pathSettingsKey = "output/epubFile",
     .pathField = &ConversionSettings::epubFilePath,
     .pathSetting = SettingField::epubFilePath,
     .needs = {false, book},
     .make = [](const WriterContext& c) { return withFlowingPreview(c, std::make_unique<EpubWriter>(c)); }},
    {.key = writerKeys::manuscriptPdf,
     .flag = "pdf",
     .valueName = "FILE",
     .help = "a PDF on manuscript paper, the fonts embedded",
     .details = "Every character upright in its cell in the font's own vertical forms, ruby beside its "
                "base, hanging stops below the frame, the fold column with the sheet number in the middle. "
                "The text reads, searches and copies in reading order (each sheet's ruby after its text); "
                "title and author come from --title or the Aozora Bunko header, the headings are its "
                "bookmarks and the sheet numbers its page labels.",
     .destination = Destination::file,
     .fileKind = u"PDFﾌｧｲﾙ",
     .dialogFilter = u"PDFﾌｧｲﾙ (*.pdf)",
     .defaultExtension = ".pdf",
     .choiceCaption = u"PDFに書き出す…",
     .needs = {true, manuscriptPaper},
     .typesetWith = manuscript::manuscriptTypesetting,
     .make = manuscript},
    {.key = "text",
     .flag = "text",
     .valueName = "FILE",
     .help = "plain UTF-8 text: ruby in parentheses after its base, headings on lines of their own, for "
             "proofreading and for readers without ruby",
     .details = "Lines end in LF; a page break is a blank line, as is the line before and after a heading. "
                "--ruby=drop leaves the ruby out, --editor-notes=show keeps the editor's notes in "
                "parentheses; a character without a code stands as its description, ※（…）.",
     .destination = Destination::file,
     .fileKind = u"ﾃｷｽﾄﾌｧｲﾙ",
     .dialogFilter = u"ﾃｷｽﾄﾌｧｲﾙ (*.txt)",
     .defaultExtension = ".txt",
     .choiceCaption = u"ﾃｷｽﾄﾌｧｲﾙへ出力する (ﾙﾋﾞは括弧書き)",
     .pathCaption = fileFieldCaption,
     .pathControl = "txtOutput(6)",
     .chooserControl = "cmdTextSelect",
     .remembered = "4",
     .pathSettingsKey = "output/textFile",
     .make = [](const WriterContext& c) { return withFlowingPreview(c, makeTextWriter(c)); }},
    {.key = "book",
     .flag = "book",
     .valueName = "FILE",
     .help =
         "a typeset book as a PDF: pages of the --book-preset format set by the Japanese layout rules, the "
         "fonts embedded",
     .details =
         "Punctuation half-width with its adjustable space, justified lines, line-start and line-end "
         "rules, ruby over its base, numbers of two and three digits across; a title page, each chapter "
         "on an odd page, the running head and page numbers, the colophon; bound on the right. The text "
         "reads, searches and copies in reading order (each page's ruby after its text); the headings "
         "are its bookmarks. With --bleed, crop marks and the trim and bleed boxes for the printer.",
     .destination = Destination::file,
     .fileKind = u"PDFﾌｧｲﾙ",
     .dialogFilter = u"PDFﾌｧｲﾙ (*.pdf)",
     .defaultExtension = ".pdf",
     .choiceCaption = u"書籍 (PDF)",
     .pathCaption = fileFieldCaption,
     .pathControl = "txtOutput(7)",
     .chooserControl = "cmdBookSelect",
     .remembered = "5",
     .pathSettingsKey = "output/bookFile",
     .needs = {false, bookPages},
     .make =
         [](const WriterContext& c) {
           return withFlowingPreview(c, std::make_unique<book::BookPdfWriter>(c));
         }},
};

}  // namespace

std::span<const WriterEntry> writerRegistry() {
  return writers;
}

}  // namespace zelvato
