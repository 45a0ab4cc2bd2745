// zelvato-convert: the window's conversion run on the command line.

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "codepage.h"
#include "convert_options.h"
#include "manuscript_count.h"
#include "messages.h"
#include "number_text.h"
#include "page_writer.h"
#include "unicode_text.h"
#include "zelvato_version.h"
#ifdef ZELVATO_PDF
#include <QGuiApplication>

#include "pdf_manuscript_writer.h"
#endif

namespace zelvato::convert {
namespace {

// Inputs at least this long show a progress line while they convert.
constexpr std::size_t longInput = 10000;

constexpr std::u16string_view notTextFile = u"ﾃｷｽﾄﾌｧｲﾙではありません.";
constexpr std::u16string_view sameAsSource = u"変換元ﾌｧｲﾙと同じﾌｧｲﾙには出力できません.";

// Set by an interrupt or a termination request: the run stops as the window's
// Stop stops it, and no output file is put in place.
volatile sig_atomic_t stopSignalled = 0;

void requestStop(int) {
  stopSignalled = 1;
}

void installSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = requestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  // Past a file-size limit a write fails with its reason instead of ending the program.
  signal(SIGXFSZ, SIG_IGN);
}

void say(std::u16string_view message) {
  std::cerr << utf16ToUtf8(message) << '\n';
}
void explain(const std::string& reason) {
  std::cerr << "zelvato-convert: " << reason << '\n';
}

// Standard output in place of the HTML pane; standard error in place of the
// progress window and the status bar.
class CommandLineHost : public ConversionHost {
 public:
  CommandLineHost(bool markupToStandardOutput, std::size_t sourceLength)
      : markupToStandardOutput_(markupToStandardOutput),
        sourceLength_(sourceLength),
        showProgress_(sourceLength >= longInput && ::isatty(STDERR_FILENO) == 1) {}
  ~CommandLineHost() override { clearProgress(); }
  CommandLineHost(const CommandLineHost&) = delete;
  CommandLineHost& operator=(const CommandLineHost&) = delete;

  void yieldToEvents() override {
    if (!showProgress_ || (++yields_ & 0x3FF) != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastShown_ < std::chrono::milliseconds(100)) return;
    lastShown_ = now;
    const std::u16string line = status_ + u" " + groupThousands(formatNumber(handled_, 1)) + u" / " +
                                groupThousands(formatNumber(sourceLength_, 1)) +
                                std::u16string(messages::characterUnit);
    std::cerr << "\r" << utf16ToUtf8(line) << "\x1b[K" << std::flush;
    progressShown_ = true;
  }
  bool stopRequested() override { return stopSignalled != 0; }
  void progressMade(std::int32_t codeUnitsHandled) override { handled_ = codeUnitsHandled; }
  void setStatusText(std::u16string_view text) override { status_ = text; }
  void blockMarkupFinished(std::u16string_view markup) override {
    if (!markupToStandardOutput_) return;
    const std::string bytes = utf16ToUtf8(markup);
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) outputFailed_ = true;
  }

  bool outputFailed() const { return outputFailed_; }
  void clearProgress() {
    if (progressShown_) std::cerr << "\r\x1b[K" << std::flush;
    progressShown_ = false;
  }

 private:
  bool markupToStandardOutput_;
  std::size_t sourceLength_;
  bool showProgress_;
  bool progressShown_ = false;
  bool outputFailed_ = false;
  unsigned yields_ = 0;
  std::int32_t handled_ = 0;
  std::u16string status_{messages::converting};
  std::chrono::steady_clock::time_point lastShown_{};
};

// The source as the window's loader puts it into the source pane: every line
// followed by CR LF.
std::u16string joinLines(const std::vector<std::u16string>& lines) {
  std::u16string text;
  std::size_t length = 0;
  for (const auto& line : lines) length += line.size() + 2;
  text.reserve(length);
  for (const auto& line : lines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

std::optional<DecodedSource> readSource(const std::string& path) {
  if (path.empty() || path == "-") {
    std::string bytes(std::istreambuf_iterator<char>(std::cin), {});
    if (std::cin.bad()) return std::nullopt;
    return decodeSource(bytes);
  }
  return readSourceFile(path);
}

// A failed check: the window's warning where it has one, else why the window
// would have ended without a word; exit status 2.
int refuse(const SettingsProblem& problem) {
  if (!problem.warning.empty()) say(problem.warning);
  if (problem.check == SettingsCheck::layoutFieldEmpty)
    explain("the value of " + optionFor(problem.field) + " " + std::string(problem.explanation));
  else if (!problem.explanation.empty())
    explain(std::string(problem.explanation));
  return 2;
}

// The PDF of manuscript paper in place of the markup; the face it was set in
// is named when it is not the one asked for.
int writePdf(const ConvertOptions& options, std::u16string_view source, bool fromFile, char** argv) {
#ifdef ZELVATO_PDF
  int qtArgc = 1;  // Qt sees only the program's name: the options are the converter's
  const auto application = print::makeFontApplication(qtArgc, argv);
  CommandLineHost host(false, source.size());
  print::PdfRun pdf;
  const print::ManuscriptOptions paper{
      options.pdfOnB4 ? print::Paper::b4 : print::Paper::a4,
      options.greyPaperLines ? print::RuleColour::grey : print::RuleColour::redBrown};
  const bool converted = print::convertToPdf(source, options.settings, options.pdfPath, paper, host,
                                             fromFile ? options.inputPath : std::string(), pdf);
  host.clearProgress();
  if (!pdf.faceUsed.isEmpty() && (pdf.faceFellBack || options.verbose))
    explain("the PDF is set in " + pdf.faceUsed.toStdString() +
            (pdf.faceFellBack ? " (the font asked for is not installed or has no Japanese characters)" : ""));
  if (!converted) {
    say(messages::conversionInterrupted);
    if (pdf.failure) explain(pdf.failure->path + ": " + pdf.failure->reason);
    if (!pdf.failure && stopSignalled != 0) explain("stopped");
    return 1;
  }
  return 0;
#else
  (void)options, (void)source, (void)fromFile, (void)argv;
  explain("this build makes no PDF (it was built without the window's libraries)");
  return 2;
#endif
}

int run(int argc, char** argv) {
  const ParseResult parsed = parseArguments(argc, argv);
  if (!parsed.error.empty()) {
    explain(parsed.error);
    std::cerr << "Try 'zelvato-convert --help' for more information.\n";
    return 2;
  }
  const ConvertOptions& options = parsed.options;
  if (options.showHelp) {
    std::cout << usageText();
    return 0;
  }
  if (options.showVersion) {
    std::cout << "zelvato-convert " << utf16ToUtf8(generatorName()) << '\n';
    return 0;
  }
  const ConversionSettings& settings = options.settings;

  // The checks that need no source come before the source is read, so that a
  // mistyped setting does not wait for standard input.
  if (const auto problem = checkSettings(settings, std::nullopt)) return refuse(*problem);

  const bool fromFile = !options.inputPath.empty() && options.inputPath != "-";
  if (fromFile && sourceFileKind(options.inputPath) == SourceFileKind::notText) {
    say(notTextFile);
    explain(options.inputPath + ": not a text file (a folder or a device)");
    return 2;
  }
  if (fromFile && !fileExists(options.inputPath)) {
    say(messages::fileNotFound);
    return 2;
  }
  // Neither output may be the source file itself, under whatever name.
  const std::string singlePath = textToPath(settings.singleFilePath);
  const std::string epubPath = textToPath(settings.epubFilePath);
  for (const std::string* output : {&singlePath, &epubPath, &options.previewPath, &options.pdfPath}) {
    if (fromFile && sameFile(*output, options.inputPath)) {
      say(sameAsSource);
      explain(*output + ": it is the source file");
      return 2;
    }
  }
  const std::optional<DecodedSource> decoded = readSource(options.inputPath);
  if (!decoded) {
    say(messages::readFailed);
    return 1;
  }
  if (options.verbose)
    explain((fromFile ? options.inputPath : std::string("standard input")) + ": read as " +
            utf16ToUtf8(encodingName(decoded->encoding)));
  const std::optional<std::u16string> source = joinLines(decoded->lines);  // as the window's pane holds it

  if (const auto problem = checkSettings(settings, source->size())) return refuse(*problem);

  installSignalHandlers();
  // After every conversion, how many sheets of manuscript paper the text fills.
  const auto reportSheets = [&] {
    if (options.verbose) explain(utf16ToUtf8(manuscriptSheetsText(manuscriptSheets(*source, settings))));
  };
  if (!options.pdfPath.empty()) {
    const int status = writePdf(options, *source, fromFile, argv);
    if (status == 0) reportSheets();
    return status;
  }
  RunFiles files;
  if (fromFile) files.keepIntact = options.inputPath;
  bool previewCreated = false;
  if (!options.previewPath.empty())
    files.failure = beginPreviewFile(options.previewPath, settings, previewCreated);
  bool converted = !files.failure;
  CommandLineHost host(settings.outputMode == OutputMode::showOnly, source->size());
  if (converted) converted = convertText(*source, settings, options.previewPath, host, &files);
  host.clearProgress();
  if (options.verbose && settings.aozoraNotation)
    std::cerr << "zelvato-convert: " << files.unreadAnnotations << " annotations dropped\n";
  if (std::fflush(stdout) != 0) converted = false;
  if (!converted || host.outputFailed()) {
    // As the window does: the preview of a failed run is removed, but only
    // when this run made it; a file it could not create is left alone.
    if (previewCreated) deleteFile(options.previewPath);
    say(messages::conversionInterrupted);
    if (files.failure) explain(files.failure->path + ": " + files.failure->reason);
    if (!files.failure && stopSignalled != 0) explain("stopped");
    return 1;
  }
  reportSheets();
  return 0;
}

}  // namespace
}  // namespace zelvato::convert

int main(int argc, char** argv) {
  try {
    return zelvato::convert::run(argc, argv);
  } catch (const std::exception&) {
    std::cerr << zelvato::utf16ToUtf8(zelvato::messages::conversionInterrupted) << '\n';
    return 1;
  }
}
