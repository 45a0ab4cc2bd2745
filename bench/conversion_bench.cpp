// Whole conversions of a novel through the converter's own run with the real
// writers into a temporary folder, two kinds timed in turn within each
// iteration so that both see the same load; "ratio" is the second's time over
// the first's.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bench_texts.h"
#include "run/conversion.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"

namespace zelvato {
namespace {

// Converts the novel with `first` and `second` in turn each iteration and
// reports both times (under the names given) and their ratio.
void timeInTurn(benchmark::State& state, const ConversionSettings& first, const ConversionSettings& second,
                const std::string& firstName, const std::string& secondName) {
  const std::u16string source = bench::novel();
  NullHost host;
  const auto convert = [&](const ConversionSettings& settings) {
    const auto start = std::chrono::steady_clock::now();
    if (!convertText(source, settings, std::string(), host)) state.SkipWithError("conversion failed");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  double firstTime = 0, secondTime = 0;
  for (auto _ : state) {
    const double a = convert(first);
    const double b = convert(second);
    firstTime += a;
    secondTime += b;
    state.SetIterationTime(a + b);
  }
  state.counters[firstName + "_ms"] = benchmark::Counter(firstTime * 1000 / state.iterations());
  state.counters[secondName + "_ms"] = benchmark::Counter(secondTime * 1000 / state.iterations());
  state.counters["ratio"] = benchmark::Counter(secondTime / firstTime);
}

// The EPUB against the grid single file, both with every typesetting option.
void BM_epubAgainstGridSingleFile(benchmark::State& state) {
  const bench::TemporaryFolder folder;
  if (folder.path().empty()) {
    state.SkipWithError("no temporary folder");
    return;
  }
  // An Aozora Bunko text, read as one, with every typesetting option on.
  ConversionSettings common;
  common.aozoraNotation = common.kinsoku = common.tateChuYoko = true;
  ConversionSettings grid = common;
  grid.outputMode = writerKeys::singleFile;
  grid.singleFilePath = utf8ToUtf16(folder.path() + "/novel.html");
  ConversionSettings epub = common;
  epub.outputMode = writerKeys::epub;
  epub.epubFilePath = utf8ToUtf16(folder.path() + "/novel.epub");
  timeInTurn(state, grid, epub, "grid", "epub");
  state.counters["epub_kb"] = benchmark::Counter(
      static_cast<double>(std::filesystem::file_size(folder.path() + "/novel.epub")) / 1024);
}
BENCHMARK(BM_epubAgainstGridSingleFile)->UseManualTime()->Unit(benchmark::kMillisecond);

// The grid single file with every typesetting option (the text read as Aozora
// Bunko notation, line-breaking rules, numbers across) against the plain one.
void BM_everyOptionAgainstPlainConversion(benchmark::State& state) {
  const bench::TemporaryFolder folder;
  if (folder.path().empty()) {
    state.SkipWithError("no temporary folder");
    return;
  }
  ConversionSettings plain;
  plain.outputMode = writerKeys::singleFile;
  plain.singleFilePath = utf8ToUtf16(folder.path() + "/plain.html");
  ConversionSettings every = plain;
  every.aozoraNotation = every.kinsoku = every.tateChuYoko = true;
  every.singleFilePath = utf8ToUtf16(folder.path() + "/every.html");
  timeInTurn(state, plain, every, "plain", "every_option");
}
BENCHMARK(BM_everyOptionAgainstPlainConversion)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvato
