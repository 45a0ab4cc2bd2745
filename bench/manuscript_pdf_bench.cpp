// 吾輩は猫である on 400-character manuscript paper, side by side:
// - the PDF against the grid HTML of the same text with the same settings,
//   both written by the engine in this process, in turn each iteration
//   ("ratio" is the PDF's time over the grid's);
// - the converter making the PDF against upLaTeX and dvipdfmx setting the same
//   text vertically (a LaTeX file the benchmark writes from the text as read,
//   ruby by pxrubrica, IPAMincho embedded), both as processes; skipped where
//   TeX is not installed ("speedup" is TeX's time over the converter's);
// - the converter's peak memory (its resident set's high-water mark) on the
//   novel sixteen times over, as a PDF and as the grid single file;
// - the converter's start: --version against /bin/true, in turn;
// - the novel as a typeset 文庫 against its manuscript PDF, in this process,
//   and the converter making it against upLaTeX with jlreq on the same page.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_texts.h"
#include "read/text_reader.h"
#include "run/conversion.h"
#include "run/manuscript_count.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"

extern char** environ;

namespace zelvato {
namespace {

using Clock = std::chrono::steady_clock;

ConversionSettings manuscript() {
  ConversionSettings settings;
  settings.charsPerLine = u"20";
  settings.linesPerColumn = u"20";
  settings.kinsoku = true;
  settings.aozoraNotation = true;
  return settings;
}

// A finished process: whether it exited with 0, its peak resident set in KiB.
struct Finished {
  bool ok = false;
  long peakKib = 0;
};

// Runs a program with its output to /dev/null in `folder` (or here) and waits for it.
Finished runProgram(std::vector<std::string> args, const std::string& folder = {}) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = -1;
  const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  Finished finished;
  int status = 0;
  struct rusage usage {};
  if (started && ::wait4(pid, &status, 0, &usage) == pid) {
    finished.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    finished.peakKib = usage.ru_maxrss;
  }
  return finished;
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_novelManuscriptPdfAgainstGridSingleFile(benchmark::State& state) {
  const bench::TemporaryFolder folder;
  const std::u16string& source = bench::novel();
  ConversionSettings grid = manuscript();
  grid.outputMode = writerKeys::singleFile;
  grid.singleFilePath = utf8ToUtf16(folder.file("novel.html"));
  const std::string pdf = folder.file("novel.pdf");
  ConversionSettings sheets = manuscript();
  sheets.outputMode = "pdf";
  setOutputPath(sheets, *findWriter(sheets.outputMode), utf8ToUtf16(pdf));
  double gridTime = 0, pdfTime = 0;
  for (auto _ : state) {
    NullHost host;
    auto start = Clock::now();
    if (!convertText(source, grid, std::string(), host)) state.SkipWithError("the HTML was not made");
    const double a = secondsSince(start);
    start = Clock::now();
    if (!convertText(source, sheets, std::string(), host)) state.SkipWithError("the PDF was not made");
    const double b = secondsSince(start);
    gridTime += a;
    pdfTime += b;
    state.SetIterationTime(a + b);
  }
  state.counters["grid_ms"] = gridTime * 1000 / state.iterations();
  state.counters["pdf_ms"] = pdfTime * 1000 / state.iterations();
  state.counters["ratio"] = pdfTime / gridTime;
  state.counters["sheets"] = static_cast<double>(manuscriptSheets(source, sheets));
  state.counters["pdf_kb"] = static_cast<double>(std::filesystem::file_size(pdf)) / 1024;
  state.counters["html_kb"] =
      static_cast<double>(std::filesystem::file_size(folder.file("novel.html"))) / 1024;
}
BENCHMARK(BM_novelManuscriptPdfAgainstGridSingleFile)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// LaTeX's special characters, escaped.
std::string latexText(std::u16string_view text) {
  std::u16string out;
  for (const char16_t c : text) {
    if (std::u16string_view(u"#$%&_{}").find(c) != std::u16string_view::npos) {
      out += u'\\';
      out += c;
    } else if (c == u'\\') {
      out += u"\\textbackslash{}";
    } else if (c == u'~') {
      out += u"\\textasciitilde{}";
    } else if (c == u'^') {
      out += u"\\textasciicircum{}";
    } else {
      out += c;
    }
  }
  return utf16ToUtf8(out);
}

// The novel as read (notation gone, ruby kept) as a vertical upLaTeX document
// on A4, its ruby set by pxrubrica, a paragraph a source paragraph.
std::string verticalLatex(const std::u16string& source) {
  const Document document = readDocument(source, true);
  std::string tex = "\\documentclass[a4paper]{utarticle}\n\\usepackage{pxrubrica}\n\\begin{document}\n";
  for (const Paragraph& paragraph : document.paragraphs) {
    for (const Run& run : paragraph.runs) {
      if (run.kind != RunKind::text) continue;
      if (run.ruby.empty())
        tex += latexText(run.text);
      else
        tex += "\\ruby[g]{" + latexText(run.text) + "}{" + latexText(run.ruby) + "}";
    }
    tex += "\n\n";
  }
  return tex + "\\end{document}\n";
}

bool texInstalled() {
  return runProgram({"kpsewhich", "utarticle.cls"}).ok && runProgram({"kpsewhich", "pxrubrica.sty"}).ok;
}

void BM_novelManuscriptPdfAgainstUpLatex(benchmark::State& state) {
  if (!texInstalled()) {
    state.SkipWithError("upLaTeX (texlive-lang-japanese) is not installed");
    return;
  }
  const bench::TemporaryFolder folder;
  std::ofstream(folder.file("novel.tex"), std::ios::binary) << verticalLatex(bench::novel());
  std::filesystem::copy_file(ZELVATO_BENCH_DATA_DIR "/wagahai-wa-neko-de-aru.txt", folder.file("novel.txt"));
  double converter = 0, tex = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    if (!runProgram({ZELVATO_CONVERT_PATH, "--manuscript", "--aozora",
                     "--pdf=" + folder.file("manuscript.pdf"), folder.file("novel.txt")})
             .ok)
      state.SkipWithError("the converter failed");
    const double a = secondsSince(start);
    start = Clock::now();
    // One run: the document has no references to resolve. The IPA map embeds IPAMincho, as the converter
    // does.
    runProgram({"uplatex", "-interaction=batchmode", "novel.tex"}, folder.path());
    if (!runProgram({"dvipdfmx", "-q", "-f", "uptex-ipa.map", "novel.dvi"}, folder.path()).ok)
      state.SkipWithError("dvipdfmx failed");
    const double b = secondsSince(start);
    converter += a;
    tex += b;
    state.SetIterationTime(a + b);
  }
  state.counters["converter_ms"] = converter * 1000 / state.iterations();
  state.counters["uplatex_dvipdfmx_ms"] = tex * 1000 / state.iterations();
  state.counters["speedup"] = tex / converter;
  state.counters["converter_pdf_kb"] =
      static_cast<double>(std::filesystem::file_size(folder.file("manuscript.pdf"))) / 1024;
  state.counters["tex_pdf_kb"] =
      static_cast<double>(std::filesystem::file_size(folder.file("novel.pdf"))) / 1024;
}
BENCHMARK(BM_novelManuscriptPdfAgainstUpLatex)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_sixteenNovelsPeakMemory(benchmark::State& state) {
  const bench::TemporaryFolder folder;
  {
    std::ifstream in(ZELVATO_BENCH_DATA_DIR "/wagahai-wa-neko-de-aru.txt", std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::ofstream out(folder.file("sixteen.txt"), std::ios::binary);
    for (int i = 0; i < 16; ++i) out << bytes;
  }
  Finished pdf, grid;
  for (auto _ : state) {
    auto start = Clock::now();
    pdf = runProgram({ZELVATO_CONVERT_PATH, "--manuscript", "--aozora", "--pdf=" + folder.file("sixteen.pdf"),
                      folder.file("sixteen.txt")});
    const double a = secondsSince(start);
    grid = runProgram({ZELVATO_CONVERT_PATH, "--manuscript", "--aozora", "--force",
                       "--single=" + folder.file("sixteen.html"), folder.file("sixteen.txt")});
    if (!pdf.ok || !grid.ok) state.SkipWithError("a conversion failed");
    state.SetIterationTime(a);
  }
  state.counters["pdf_peak_mib"] = pdf.peakKib / 1024.0;
  state.counters["grid_peak_mib"] = grid.peakKib / 1024.0;
  state.counters["pdf_mib"] =
      static_cast<double>(std::filesystem::file_size(folder.file("sixteen.pdf"))) / (1 << 20);
}
BENCHMARK(BM_sixteenNovelsPeakMemory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_converterStartAgainstTrue(benchmark::State& state) {
  constexpr int runs = 200;
  double converter = 0, empty = 0;
  for (auto _ : state) {
    for (int i = 0; i < runs; ++i) {
      auto start = Clock::now();
      if (!runProgram({ZELVATO_CONVERT_PATH, "--version"}).ok) state.SkipWithError("--version failed");
      converter += secondsSince(start);
      start = Clock::now();
      runProgram({"/bin/true"});
      empty += secondsSince(start);
    }
    state.SetIterationTime(converter);
  }
  state.counters["version_ms"] = converter * 1000 / (runs * state.iterations());
  state.counters["true_ms"] = empty * 1000 / (runs * state.iterations());
  state.counters["ratio"] = converter / empty;
}
BENCHMARK(BM_converterStartAgainstTrue)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The typeset book (文庫) of the novel against the manuscript PDF of it, both
// written by the engine in this process, in turn each iteration ("ratio" is
// the book's time over the manuscript's).
void BM_novelBookPdfAgainstManuscriptPdf(benchmark::State& state) {
  const bench::TemporaryFolder folder;
  const std::u16string& source = bench::novel();
  ConversionSettings sheets = manuscript();
  sheets.outputMode = "pdf";
  setOutputPath(sheets, *findWriter(sheets.outputMode), utf8ToUtf16(folder.file("manuscript.pdf")));
  ConversionSettings book;
  book.aozoraNotation = true;
  book.outputMode = "book";
  setOutputPath(book, *findWriter(book.outputMode), utf8ToUtf16(folder.file("book.pdf")));
  double manuscriptTime = 0, bookTime = 0;
  for (auto _ : state) {
    NullHost host;
    auto start = Clock::now();
    if (!convertText(source, sheets, std::string(), host)) state.SkipWithError("the manuscript was not made");
    const double a = secondsSince(start);
    start = Clock::now();
    if (!convertText(source, book, std::string(), host)) state.SkipWithError("the book was not made");
    const double b = secondsSince(start);
    manuscriptTime += a;
    bookTime += b;
    state.SetIterationTime(a + b);
  }
  state.counters["manuscript_ms"] = manuscriptTime * 1000 / state.iterations();
  state.counters["book_ms"] = bookTime * 1000 / state.iterations();
  state.counters["ratio"] = bookTime / manuscriptTime;
  state.counters["book_kb"] = static_cast<double>(std::filesystem::file_size(folder.file("book.pdf"))) / 1024;
}
BENCHMARK(BM_novelBookPdfAgainstManuscriptPdf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The novel as a 文庫 in upLaTeX with jlreq: the same page (A6), type (9 pt),
// block (39 characters by 16 lines at 14.4 pt) and margins, ruby by
// pxrubrica, each of the text's highest headings on an odd page.
std::string bunkoLatex(const std::u16string& source) {
  const Document document = readDocument(source, true);
  int chapterLevel = 0;
  for (const Paragraph& paragraph : document.paragraphs)
    if (paragraph.style.headingLevel > 0 &&
        (chapterLevel == 0 || paragraph.style.headingLevel < chapterLevel))
      chapterLevel = paragraph.style.headingLevel;
  std::string tex =
      "\\documentclass[tate,paper={105mm,148mm},fontsize=9pt,line_length=39zw,number_of_lines=16,"
      "baselineskip=14.4pt,head_space=11mm,gutter=14mm,twoside]{jlreq}\n\\usepackage{pxrubrica}\n"
      "\\begin{document}\n";
  for (const Paragraph& paragraph : document.paragraphs) {
    const int level = paragraph.style.headingLevel;
    if (level > 0) tex += level == chapterLevel ? "\\cleardoublepage\\section*{" : "\\subsection*{";
    for (const Run& run : paragraph.runs) {
      if (run.kind != RunKind::text) continue;
      if (run.ruby.empty() || level > 0)
        tex += latexText(run.text);
      else
        tex += "\\ruby[g]{" + latexText(run.text) + "}{" + latexText(run.ruby) + "}";
    }
    tex += level > 0 ? "}\n\n" : "\n\n";
  }
  return tex + "\\end{document}\n";
}

bool jlreqInstalled() {
  return runProgram({"kpsewhich", "jlreq.cls"}).ok && runProgram({"kpsewhich", "pxrubrica.sty"}).ok;
}

// The converter making the 文庫 against upLaTeX with jlreq and dvipdfmx, as
// processes ("speedup" is TeX's time over the converter's).
void BM_novelBookPdfAgainstUpLatexJlreq(benchmark::State& state) {
  if (!jlreqInstalled()) {
    state.SkipWithError("upLaTeX with jlreq (texlive-lang-japanese) is not installed");
    return;
  }
  const bench::TemporaryFolder folder;
  std::ofstream(folder.file("novel.tex"), std::ios::binary) << bunkoLatex(bench::novel());
  std::filesystem::copy_file(ZELVATO_BENCH_DATA_DIR "/wagahai-wa-neko-de-aru.txt", folder.file("novel.txt"));
  double converter = 0, tex = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    if (!runProgram({ZELVATO_CONVERT_PATH, "--aozora", "--book=" + folder.file("book.pdf"),
                     folder.file("novel.txt")})
             .ok)
      state.SkipWithError("the converter failed");
    const double a = secondsSince(start);
    start = Clock::now();
    runProgram({"uplatex", "-interaction=batchmode", "novel.tex"}, folder.path());
    if (!runProgram({"dvipdfmx", "-q", "-f", "uptex-ipa.map", "novel.dvi"}, folder.path()).ok)
      state.SkipWithError("dvipdfmx failed");
    const double b = secondsSince(start);
    converter += a;
    tex += b;
    state.SetIterationTime(a + b);
  }
  state.counters["converter_ms"] = converter * 1000 / state.iterations();
  state.counters["uplatex_dvipdfmx_ms"] = tex * 1000 / state.iterations();
  state.counters["speedup"] = tex / converter;
}
BENCHMARK(BM_novelBookPdfAgainstUpLatexJlreq)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace zelvato
