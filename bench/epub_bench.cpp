// The EPUB of a novel against the grid single file of the same novel, both
// made through the converter's own run with the real writers into a
// temporary folder, timed in turn within each iteration so that both see the
// same load. "ratio" is the EPUB's time over the grid's.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "codepage.h"
#include "conversion.h"
#include "unicode_text.h"

namespace zelvato {
namespace {

class QuietHost : public ConversionHost {
 public:
  void yieldToEvents() override {}
  bool stopRequested() override { return false; }
  void setStatusText(std::u16string_view) override {}
  void blockMarkupFinished(std::u16string_view) override {}
};

// 吾輩は猫である as the converter reads it from its file.
std::u16string novel() {
  std::ifstream in(ZELVATO_BENCH_DATA_DIR "/wagahai-wa-neko-de-aru.txt", std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  std::u16string joined;
  for (const std::u16string& line : decodeSource(bytes).lines) joined += line + u"\r\n";
  return joined;
}

void BM_epubAgainstGridSingleFile(benchmark::State& state) {
  std::string pattern = (std::filesystem::temp_directory_path() / "zelvato-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string folder = pattern;
  const std::u16string source = novel();
  // An Aozora Bunko text, read as one, with every typesetting option on.
  ConversionSettings common;
  common.aozoraNotation = common.kinsoku = common.tateChuYoko = true;
  ConversionSettings grid = common;
  grid.outputMode = OutputMode::singleFile;
  grid.singleFilePath = utf8ToUtf16(folder + "/novel.html");
  ConversionSettings epub = common;
  epub.outputMode = OutputMode::epub;
  epub.epubFilePath = utf8ToUtf16(folder + "/novel.epub");

  QuietHost host;
  const auto convert = [&](const ConversionSettings& settings) {
    const auto start = std::chrono::steady_clock::now();
    if (!convertText(source, settings, std::string(), host)) state.SkipWithError("conversion failed");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  double gridTime = 0, epubTime = 0;
  for (auto _ : state) {
    const double g = convert(grid);
    const double e = convert(epub);
    gridTime += g;
    epubTime += e;
    state.SetIterationTime(g + e);
  }
  state.counters["grid_ms"] = benchmark::Counter(gridTime * 1000 / state.iterations());
  state.counters["epub_ms"] = benchmark::Counter(epubTime * 1000 / state.iterations());
  state.counters["ratio"] = benchmark::Counter(epubTime / gridTime);
  state.counters["epub_kb"] =
      benchmark::Counter(static_cast<double>(std::filesystem::file_size(folder + "/novel.epub")) / 1024);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_epubAgainstGridSingleFile)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvato
