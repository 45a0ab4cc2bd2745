// The plain-text writer: the document as UTF-8 text with LF line ends, for
// proofreading and for readers without ruby. Ruby stands in parentheses after
// its base (漢字（かんじ）) or, with the ruby dropped, not at all; a heading
// stands on a line of its own with a blank line before and after it; a page
// break is a blank line, which every reader shows, where a form feed would
// show as a stray control character or not at all. A character without a code
// stands as its description, ※（…）, and the editor's notes in parentheses
// when the settings show them, as in the flowing page. A paragraph's first
// indent is written as full-width spaces; marks beside the text (emphasis,
// lines) have no plain form and are left out.

#include <exception>
#include <memory>
#include <string>

#include "io/staged_files.h"
#include "text/html_text.h"
#include "text/unicode_text.h"
#include "write/document_sink.h"

namespace zelvato {
namespace {

class PlainText {
 public:
  explicit PlainText(const ConversionSettings& settings) : settings_(settings) {}

  std::u16string of(const Document& document) {
    for (const Paragraph& paragraph : document.paragraphs) write(paragraph);
    endLine();
    // The text ends with its last line: blank lines and a page break after it are left out.
    while (text_.size() >= 2 && text_[text_.size() - 2] == u'\n') text_.pop_back();
    if (text_ == u"\n") text_.clear();
    return std::move(text_);
  }

 private:
  void write(const Paragraph& paragraph) {
    const ParagraphStyle& style = paragraph.style;
    const bool pageBreak = style.breakBefore == PageBreak::page || style.breakBefore == PageBreak::sheet ||
                           style.breakBefore == PageBreak::spread;
    const bool heading = style.headingLevel > 0;
    if (pageBreak || heading || blankAfterHeading_) {
      blankLine();
      // A blank line of the text itself is the one a heading needs after it.
      if (std::exchange(blankAfterHeading_, false) && paragraph.runs.empty() && !pageBreak && !heading)
        return;
    }
    if (atLineStart() && !paragraph.runs.empty())
      text_.append(static_cast<std::size_t>(style.firstIndent), u'\u3000');
    const std::vector<Run>& runs = paragraph.runs;
    for (std::size_t r = 0; r < runs.size(); ++r) {
      // A 割り注 stands in parentheses, however many runs it holds.
      const bool note = runs[r].kind == RunKind::warichu;
      if (note && (r == 0 || runs[r - 1].kind != RunKind::warichu)) text_ += u'（';
      write(runs[r]);
      if (note && (r + 1 == runs.size() || runs[r + 1].kind != RunKind::warichu)) text_ += u'）';
    }
    if (paragraph.endsLine || heading) text_ += u'\n';
    blankAfterHeading_ = heading;
  }

  void write(const Run& run) {
    switch (run.kind) {
      case RunKind::text:
      case RunKind::warichu:
      case RunKind::kaeriten:
      case RunKind::kuntenOkurigana:
        break;
      case RunKind::gaijiDescription:
        append(u"※（" + run.text + u"）");
        return;
      case RunKind::editorNote:
        if (settings_.showEditorNotes) append(u"（" + run.text + u"）");
        return;
      case RunKind::illustration:
        append(run.text.empty() ? u"（挿絵）" : u"（挿絵：" + run.text + u"）");
        return;
    }
    append(run.text);
    if (!run.ruby.empty() && settings_.rubyMode == RubyMode::paren) append(u"（" + run.ruby + u"）");
  }

  // Source text never carries a control character into the file: a tab stays,
  // any other stands as U+FFFD.
  void append(std::u16string_view text) {
    for (const char16_t c : text) text_ += isStrayControl(c) ? u'\uFFFD' : c;
  }

  bool atLineStart() const { return text_.empty() || text_.back() == u'\n'; }
  void endLine() {
    if (!atLineStart()) text_ += u'\n';
  }
  // Ends the line and leaves one blank line after it; none at the top of the text.
  void blankLine() {
    endLine();
    if (!text_.empty() && !(text_.size() >= 2 && text_[text_.size() - 2] == u'\n')) text_ += u'\n';
  }

  const ConversionSettings& settings_;
  std::u16string text_;
  bool blankAfterHeading_ = false;  // the paragraph before was a heading
};

// The text is made whole from the document and staged like every other
// output: the file takes its target's place only when the run completes.
class TextWriter : public DocumentSink {
 public:
  explicit TextWriter(const WriterContext& context)
      : settings_(context.settings), path_(textToPath(context.outputPath)), outputFiles_(context.staging) {
    outputFiles_.stopWhen([&host = context.host] {
      host.yieldToEvents();
      return host.stopRequested();
    });
  }

  bool wantsBlocks() const override { return false; }
  bool begin(const Document& document) override {
    try {
      return outputFiles_.begin(path_) &&
             outputFiles_.append(path_, utf16ToUtf8(PlainText(settings_).of(document)));
    } catch (const std::exception&) {
      return false;
    }
  }
  bool block(const GridBlock&) override { return true; }
  bool finish(bool completed) override {
    if (finished_) return true;
    finished_ = true;
    return outputFiles_.conclude(completed);
  }
  std::optional<FileFailure> failure() const override { return outputFiles_.failure(); }
  void keepIntact(const std::string& path) override { outputFiles_.keepIntact(path); }

 private:
  ConversionSettings settings_;
  std::string path_;
  StagedFiles outputFiles_;
  bool finished_ = false;
};

}  // namespace

std::unique_ptr<DocumentSink> makeTextWriter(const WriterContext& context) {
  return std::make_unique<TextWriter>(context);
}

}  // namespace zelvato
