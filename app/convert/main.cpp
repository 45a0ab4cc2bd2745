// zelvato-convert: the window's conversion run on the command line.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "convert_options.h"
#include "document/number_text.h"
#include "io/file_system.h"
#include "io/staged_files.h"
#include "options/settings_check.h"
#include "read/source_decoding.h"
#include "run/conversion.h"
#include "run/manuscript_count.h"
#include "text/messages.h"
#include "text/unicode_text.h"
#include "write/page_output.h"
#include "write/registry/writer_registry.h"

namespace zelvato::convert {
namespace {

// Inputs at least this long show a progress line while they convert.
constexpr std::size_t longInput = 10000;

constexpr std::u16string_view notTextFile = u"ﾃｷｽﾄﾌｧｲﾙではありません.";
constexpr std::u16string_view sameAsSource = u"変換元ﾌｧｲﾙと同じﾌｧｲﾙには出力できません.";

// The signal of an interrupt, hang-up or termination request: the run stops as
// the window's Stop stops it, also between the renames that put the files in
// place, and no output file is replaced.
volatile sig_atomic_t stopSignalled = 0;

void requestStop(int signalNumber) {
  stopSignalled = signalNumber;
}

const char* signalName(int signalNumber) {
  return signalNumber == SIGINT ? "SIGINT" : signalNumber == SIGHUP ? "SIGHUP" : "SIGTERM";
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
  CommandLineHost(bool markupToStandardOutput, std::size_t sourceLength, bool mayShowProgress = true)
      : markupToStandardOutput_(markupToStandardOutput),
        sourceLength_(sourceLength),
        showProgress_(mayShowProgress && sourceLength >= longInput && ::isatty(STDERR_FILENO) == 1) {}
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
  const bool aboutTheValue = problem.check == SettingsCheck::layoutFieldEmpty ||
                             problem.check == SettingsCheck::notANumber ||
                             problem.check == SettingsCheck::numberTooLarge;
  if (aboutTheValue)
    explain("the value of " + flagFor(problem.field) + " " + std::string(problem.explanation));
  else if (!problem.explanation.empty())
    explain(std::string(problem.explanation));
  return 2;
}

// The one place the engine's conversion is called, for a single run and for
// every file of a batch alike.
bool convertSource(std::u16string_view source, const ConversionSettings& settings,
                   const std::string& previewPath, CommandLineHost& host, RunFiles& files) {
  return convertText(source, settings, previewPath, host, &files);
}

// The face a PDF was set in, named when it is not the one asked for (or with --verbose).
void reportFace(const RunFiles& files, bool verbose) {
  if (!files.face || (!files.face->fellBack && !verbose)) return;
  explain(
      "the PDF is set in " + files.face->family +
      (files.face->fellBack ? " (the font asked for is not installed or has no Japanese characters)" : ""));
}

int runSingle(const ConvertOptions& options) {
  ConversionSettings settings = options.settings;
  // Markup that goes only to standard output goes there in UTF-8, and a page
  // written there declares the encoding it is in.
  if (settings.outputMode == writerKeys::showOnly && options.previewPath.empty())
    settings.outputEncoding = OutputEncoding::utf8;

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
  const WriterEntry* medium = chosenWriter(settings);
  const std::string outputFile = medium != nullptr && medium->destination == Destination::file
                                     ? textToPath(outputPath(settings, *medium))
                                     : std::string();
  for (const std::string* output : {&outputFile, &options.previewPath}) {
    if (fromFile && sameFile(*output, options.inputPath)) {
      say(sameAsSource);
      explain(*output + ": it is the source file");
      return 2;
    }
  }
  std::optional<DecodedSource> decoded = readSource(options.inputPath);
  if (!decoded) {
    say(messages::readFailed);
    return 1;
  }
  if (options.verbose)
    explain((fromFile ? options.inputPath : std::string("standard input")) + ": read as " +
            utf16ToUtf8(encodingName(decoded->encoding)));
  const std::u16string source = joinLines(decoded->lines);  // as the window's pane holds it
  decoded.reset();  // the lines again, as long as the source: a long text's run needs only one copy

  if (const auto problem = checkSettings(settings, source.size())) return refuse(*problem);
  if (const OutputEstimate estimate = estimateOutput(settings, source);
      estimate.excessive && !options.force) {
    explain("the output would be about " + std::to_string(estimate.outputBytes >> 20) + " MB, " +
            std::to_string(estimate.outputBytes / std::max<std::uint64_t>(estimate.sourceBytes, 1)) +
            " times the source (the grid, the tab width or the line breaks make it so); "
            "use --force to write it anyway");
    return 2;
  }

  // After every conversion, how many sheets of manuscript paper the text fills.
  const auto reportSheets = [&] {
    if (options.verbose) explain(utf16ToUtf8(manuscriptSheetsText(manuscriptSheets(source, settings))));
  };
  installSignalHandlers();
  RunFiles files;
  if (fromFile) files.keepIntact = options.inputPath;
  // The pictures of illustrations lie beside the source file.
  if (fromFile) settings.sourceFolder = pathToText(folderOfPath(options.inputPath));
  CommandLineHost host(settings.outputMode == writerKeys::showOnly, source.size());
  // The preview file is staged with the output files: a failed run leaves it as it was.
  bool converted = convertSource(source, settings, options.previewPath, host, files);
  host.clearProgress();
  reportFace(files, options.verbose);
  if (options.verbose && settings.aozoraNotation) {
    std::cerr << utf16ToUtf8(files.notationReport);
    std::cerr << "zelvato-convert: " << files.unreadAnnotations
              << " annotations not read, each kept in its place as the editor's note\n";
  }
  if (std::fflush(stdout) != 0) converted = false;
  if (!converted || host.outputFailed()) {
    say(messages::conversionInterrupted);
    const bool stopped = files.failure && files.failure->reason == stoppedReason;
    if (files.failure && !stopped) explain(files.failure->path + ": " + files.failure->reason);
    if (stopSignalled != 0) {
      // Only a run the stop itself ended is known to have replaced nothing.
      explain(std::string("stopped by ") + signalName(stopSignalled) +
              (stopped || !files.failure ? "; every earlier file is as it was" : ""));
      return 128 + stopSignalled;
    }
    return 1;
  }
  // The run's one commit had put every file in place before the stop came.
  if (stopSignalled != 0)
    explain(std::string(signalName(stopSignalled)) + " came after every new file was in place");
  reportSheets();
  if (options.verbose && files.pages) explain(utf16ToUtf8(bookPagesText(*files.pages)));
  if (!files.retiredFiles.empty())
    explain("removed " + std::to_string(files.retiredFiles.size()) +
            " page files of an earlier, longer run: " + files.retiredFiles.front() +
            (files.retiredFiles.size() > 1 ? " to " + files.retiredFiles.back() : std::string()));
  return 0;
}

// One file of a batch: where it goes, and after the run whether it failed and why.
struct BatchFile {
  std::string input;
  std::string output;
  std::string failure;  // empty: converted
  std::string readAs;   // the encoding it was read in
  std::string report;   // with --verbose: what the reading of its notation found
  StagedFiles staged;   // its output, until the batch puts every output in place
};

// The file's name without folder and without its last extension.
std::string nameWithoutExtension(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Converts one file of a batch as a single run with --single=its output would,
// keeping the output staged in `file.staged`.
void convertBatchFile(BatchFile& file, const ConversionSettings& shared, const WriterEntry& medium,
                      bool verbose) {
  if (sourceFileKind(file.input) == SourceFileKind::notText) {
    file.failure = "not a text file (a folder or a device)";
    return;
  }
  // The reason the file cannot be opened, as the system gives it.
  const int fd = ::open(file.input.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    file.failure = std::strerror(errno);
    return;
  }
  ::close(fd);
  const std::optional<DecodedSource> decoded = readSourceFile(file.input);
  if (!decoded) {
    file.failure = "the file could not be read";
    return;
  }
  file.readAs = utf16ToUtf8(encodingName(decoded->encoding));
  const std::u16string source = joinLines(decoded->lines);
  ConversionSettings settings = shared;
  setOutputPath(settings, medium, pathToText(file.output));
  settings.sourceFolder = pathToText(folderOfPath(file.input));
  if (const auto problem = checkSettings(settings, source.size())) {
    file.failure =
        problem->explanation.empty() ? utf16ToUtf8(problem->warning) : std::string(problem->explanation);
    return;
  }
  RunFiles files;
  files.keepIntact = file.input;
  CommandLineHost host(false, source.size(), false);
  bool converted = false;
  {
    const DeferredCommit deferred(file.staged);
    converted = convertSource(source, settings, std::string(), host, files);
  }
  if (verbose && settings.aozoraNotation)
    file.report = utf16ToUtf8(files.notationReport) + "zelvato-convert: " + file.input + ": " +
                  std::to_string(files.unreadAnnotations) + " annotations dropped\n";
  if (converted) return;
  if (files.failure)
    file.failure = files.failure->path + ": " + files.failure->reason;
  else
    file.failure = stopSignalled != 0 ? "stopped" : "the conversion failed";
  file.staged.discard();
}

// The outputs of this many files are put in place together, by one commit
// with one journal: a kill at any moment leaves the group all old or, once the
// next run into the folder has finished it, all new. Memory then holds the
// staging of one group, however long the batch.
constexpr std::size_t batchGroup = 64;

// Each input's output DIR/NAME.html; a name already given to an earlier input
// gets the first free NAME-2.html, NAME-3.html, ..., and standard error says so.
void nameBatchOutputs(std::vector<BatchFile>& files, const std::string& outDir, std::string_view extension) {
  std::map<std::string, std::string> inputOf;
  const auto named = [&](const std::string& name) {
    return (std::filesystem::path(outDir) / (name + std::string(extension))).string();
  };
  for (BatchFile& file : files) {
    const std::string name = nameWithoutExtension(file.input);
    std::string output = named(name);
    for (int n = 2; inputOf.contains(output); ++n) output = named(name + "-" + std::to_string(n));
    if (const auto earlier = inputOf.find(named(name)); earlier != inputOf.end())
      explain(file.input + " is written to " + output + " (" + earlier->second + " has " + earlier->first +
              ")");
    inputOf.emplace(output, file.input);
    file.output = output;
  }
}

// Every FILE into DIR/NAME.html, on as many threads as there are cores, in
// groups whose outputs are put in place together once each of their files has
// been converted.
int runBatch(const ConvertOptions& options) {
  ConversionSettings settings = options.settings;
  const WriterEntry& medium = *findWriter(
      options.batchMedium.empty() ? writerKeys::singleFile : std::string_view(options.batchMedium));
  settings.outputMode = std::string(medium.key);
  // The folder stands for every file's own name in the checks.
  setOutputPath(settings, medium, pathToText(options.outDir));
  // The checks of the settings alone; the grid's need a source length, and any will do.
  if (const auto problem = checkSettings(settings, 1)) return refuse(*problem);
  struct stat folder {};
  if (::stat(options.outDir.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
    explain(options.outDir + ": not a folder");
    return 2;
  }

  std::vector<BatchFile> files(options.inputPaths.size());
  for (std::size_t i = 0; i < files.size(); ++i) files[i].input = options.inputPaths[i];
  nameBatchOutputs(files, options.outDir, medium.defaultExtension);

  installSignalHandlers();
  const std::size_t threadCount =
      std::min<std::size_t>(batchGroup, std::max(1u, std::thread::hardware_concurrency()));
  std::size_t inPlace = 0;  // outputs of the groups committed
  bool stopped = false;
  int failed = 0;
  // What became of each file of a group, said once the group is done; then
  // the group's files keep nothing that grows with the batch.
  const auto reportGroup = [&](std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) {
      BatchFile& file = files[i];
      if (options.verbose && !file.readAs.empty()) explain(file.input + ": read as " + file.readAs);
      std::cerr << std::exchange(file.report, std::string());
      if (file.failure.empty() || file.failure == "stopped") continue;
      ++failed;
      explain(file.input + ": " + file.failure);
    }
  };
  for (std::size_t first = 0; first < files.size() && !stopped; first += batchGroup) {
    const std::size_t last = std::min(files.size(), first + batchGroup);
    std::atomic<std::size_t> next{first};
    const auto work = [&] {
      for (std::size_t i = next++; i < last && stopSignalled == 0; i = next++)
        convertBatchFile(files[i], settings, medium, options.verbose);
    };
    std::vector<std::thread> threads;
    for (std::size_t t = 1; t < std::min(threadCount, last - first); ++t) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    if (stopSignalled != 0) {
      stopped = true;  // the group's staged outputs go with their files
      reportGroup(first, last);
      break;
    }
    StagedFiles group;
    group.stopWhen([] { return stopSignalled != 0; });
    std::size_t converted = 0;
    for (std::size_t i = first; i < last; ++i) {
      if (!files[i].failure.empty()) continue;
      group.adopt(files[i].staged);
      ++converted;
    }
    if (group.commit()) {
      inPlace += converted;
      reportGroup(first, last);
      continue;
    }
    const std::optional<FileFailure>& failure = group.failure();
    if (stopSignalled != 0 && failure && failure->reason == stoppedReason) {
      stopped = true;
      reportGroup(first, last);
      break;
    }
    for (std::size_t i = first; i < last; ++i)
      if (files[i].failure.empty())
        files[i].failure =
            failure ? "not written with its group: " + failure->path + ": " + failure->reason : "not written";
    reportGroup(first, last);
  }

  if (stopped) {
    say(messages::conversionInterrupted);
    explain(std::string("stopped by ") + signalName(stopSignalled) + "; " +
            (inPlace == 0 ? std::string("every earlier file is as it was")
                          : "the outputs of " + std::to_string(inPlace) +
                                " files are new, every other earlier file is as it was"));
    return 128 + stopSignalled;
  }
  if (failed == 0) return 0;
  explain(std::to_string(failed) + " of " + std::to_string(files.size()) + " files were not converted");
  return 1;
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
  return options.outDir.empty() ? runSingle(options) : runBatch(options);
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
