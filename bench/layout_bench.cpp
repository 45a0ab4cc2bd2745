#include <benchmark/benchmark.h>
#include <time.h>

#include <fstream>
#include <iterator>
#include <string>

#include "bench_texts.h"
#include "read/text_reader.h"
#include "typeset/grid_typesetter.h"
#include "write/grid_html/grid_rows.h"

namespace zelvato {
namespace {

// The longest text the source pane holds: kana, kanji, punctuation, ASCII and
// CR LF line ends.
std::u16string longestSourceText() {
  const std::u16string paragraph =
      u"吾輩は猫である。名前はまだ無い。「どこで生れたか」とんと見当がつかぬ。"
      u"何でも薄暗いじめじめした所で、ニャーニャー泣いていた事だけは記憶している。"
      u"Version 1.2 (2026-12-07) costs \\1,500 -- \"quoted\" text; ｶﾀｶﾅ ﾃﾞｽ｡\t"
      u"（１０）【注】『書名』……――～\r\n\r\n";
  std::u16string text;
  while (text.size() < 65535) text += paragraph;
  text.resize(65535);
  return text;
}

// The layout of the longest text, rows assembled as the writer does, with the
// settings the benchmark's argument picks: 0 plain, 1 every typesetting option on.
void BM_layoutLongestText(benchmark::State& state) {
  const bool typeset = state.range(0) != 0;
  std::u16string source = longestSourceText();
  ConversionSettings settings;  // the window's start values: 25 x 20 cells
  if (typeset) {
    settings.kinsoku = settings.tateChuYoko = settings.aozoraNotation = true;
    // The same length with notation in it: ruby, annotations and an indented range.
    const std::u16string notated =
        u"［＃ここから２字下げ］\r\n下人《げにん》が｜羅生門《らしょうもん》の下で雨やみを待っていた。"
        u"※［＃「てへん＋劣」、第3水準1-84-77］［＃「下人」は太字］\r\n［＃ここで字下げ終わり］\r\n";
    for (std::size_t at = 0; at + notated.size() < source.size(); at += 4 * notated.size())
      source.replace(at, notated.size(), notated);
  }
  NullHost host;
  const GridLayoutOptions options = gridLayoutOptions(settings);
  for (auto _ : state) {
    // Reading and typesetting, rows assembled as the writer does.
    GridBlock grid = makeGrid(options);
    std::size_t rowLength = 0;
    const BlockHandler readRows = [&](const GridBlock& g) {
      for (int row = 1; row <= g.rowCount(); ++row) {
        const std::u16string text = assembleRow(g, row, settings.showGrid, glyphOptions(settings));
        rowLength += text.size();
        benchmark::DoNotOptimize(text.data());
      }
      return true;
    };
    const bool ok = typesetGrid(readDocument(source, settings.aozoraNotation), options, grid, host, readRows);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(rowLength);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(source.size()));
  state.SetLabel(typeset ? "kinsoku + tate-chu-yoko + Aozora notation" : "plain");
}
BENCHMARK(BM_layoutLongestText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Notation that never closes, 200,000 times on one line: reading it must stay
// linear (a search from every mark to the line's end would take seconds).
void BM_readUnclosedNotation(benchmark::State& state) {
  constexpr std::u16string_view marks[] = {u"｜", u"《", u"［＃"};
  const std::u16string_view mark = marks[state.range(0)];
  std::u16string source;
  for (int i = 0; i < 200000; ++i) source += mark;
  for (auto _ : state) benchmark::DoNotOptimize(readDocument(source, true).paragraphs.size());
  state.SetLabel(std::string("200,000 x ") + (state.range(0) == 0   ? "｜"
                                              : state.range(0) == 1 ? "《"
                                                                    : "［＃"));
}
BENCHMARK(BM_readUnclosedNotation)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvato

namespace zelvato {
namespace {

// The stages on the benchmark text: reading alone, then reading and
// typesetting, plain (0, 1) and with every typesetting option on (2, 3).
void BM_benchmarkTextStages(benchmark::State& state) {
  const bool typeset = state.range(0) % 2 != 0;
  ConversionSettings settings;
  settings.kinsoku = settings.tateChuYoko = settings.aozoraNotation = state.range(0) >= 2;
  const std::u16string& source = bench::novel();
  NullHost host;
  const GridLayoutOptions options = gridLayoutOptions(settings);
  for (auto _ : state) {
    const Document document = readDocument(source, settings.aozoraNotation);
    if (typeset) {
      GridBlock grid = makeGrid(options);
      benchmark::DoNotOptimize(
          typesetGrid(document, options, grid, host, [](const GridBlock&) { return true; }));
    }
    benchmark::DoNotOptimize(document.paragraphs.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(source.size()));
  state.SetLabel(std::string(typeset ? "read + typeset" : "read") +
                 (settings.aozoraNotation ? ", every typesetting option" : ", plain"));
}
BENCHMARK(BM_benchmarkTextStages)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Reading and typesetting the benchmark text with every typesetting option on
// against the same plain, the two timed in turn within each iteration, so
// that both see the same load: "ratio" is the first time over the second.
// The times are the thread's processor time: on a machine shared with other
// work, the time spent waiting for a core is neither's.
double threadSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_everyOptionAgainstPlain(benchmark::State& state) {
  const std::u16string& source = bench::novel();
  ConversionSettings plain;
  ConversionSettings everyOption;
  everyOption.kinsoku = everyOption.tateChuYoko = everyOption.aozoraNotation = true;
  NullHost host;
  const auto readAndTypeset = [&](const ConversionSettings& settings) {
    const double start = threadSeconds();
    const GridLayoutOptions options = gridLayoutOptions(settings);
    GridBlock grid = makeGrid(options);
    const bool ok = typesetGrid(readDocument(source, settings.aozoraNotation), options, grid, host,
                                [](const GridBlock&) { return true; });
    benchmark::DoNotOptimize(ok);
    return threadSeconds() - start;
  };
  double plainTime = 0, everyOptionTime = 0;
  for (auto _ : state) {
    const double p = readAndTypeset(plain);
    const double e = readAndTypeset(everyOption);
    plainTime += p;
    everyOptionTime += e;
    state.SetIterationTime(p + e);
  }
  state.counters["plain_ms"] = benchmark::Counter(plainTime * 1000 / state.iterations());
  state.counters["every_option_ms"] = benchmark::Counter(everyOptionTime * 1000 / state.iterations());
  state.counters["ratio"] = benchmark::Counter(everyOptionTime / plainTime);
}
BENCHMARK(BM_everyOptionAgainstPlain)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvato
