// 吾輩は猫である on 400-character manuscript paper, side by side: the PDF (its
// faces embedded) against the grid HTML of the same text with the same
// settings, each written to a file. "sheets" is the PDF's sheet count, "bytes"
// the size of the file made.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "bench_application.h"
#include "bench_texts.h"
#include "pdf_manuscript_writer.h"
#include "run/conversion.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"

namespace zelvato {
namespace {

ConversionSettings manuscript() {
  ConversionSettings settings;
  settings.charsPerLine = u"20";
  settings.linesPerColumn = u"20";
  settings.kinsoku = true;
  settings.aozoraNotation = true;
  return settings;
}

std::string benchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zelvato-bench-XXXXXX").string();
  return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

void BM_novelAsManuscriptPdf(benchmark::State& state) {
  // The fonts need the application; a PDF needs no display.
  bench::application();
  const std::u16string source = bench::novel();
  const std::string folder = benchFolder();
  const std::string target = folder + "/novel.pdf";
  print::PdfRun run;
  for (auto _ : state) {
    NullHost host;
    if (!print::convertToPdf(source, manuscript(), target, {}, host, {}, run))
      state.SkipWithError("the PDF was not made");
  }
  state.counters["sheets"] = run.sheets;
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(target));
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_novelAsManuscriptPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_novelAsManuscriptGridHtml(benchmark::State& state) {
  const std::u16string source = bench::novel();
  const std::string folder = benchFolder();
  ConversionSettings settings = manuscript();
  settings.outputMode = writerKeys::singleFile;
  settings.singleFilePath = utf8ToUtf16(folder + "/novel.html");
  for (auto _ : state) {
    NullHost host;
    if (!convertText(source, settings, std::string(), host)) state.SkipWithError("the HTML was not made");
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(folder + "/novel.html"));
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_novelAsManuscriptGridHtml)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace zelvato
