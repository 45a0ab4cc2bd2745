#include <benchmark/benchmark.h>

#include <string>

#include "column_layout.h"

namespace zelvato {
namespace {

class NoOpHost : public ConversionHost {
 public:
  void yieldToEvents() override {}
  bool stopRequested() override { return false; }
  void setStatusText(std::u16string_view) override {}
  void blockMarkupFinished(std::u16string_view) override {}
};

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

void BM_layoutLongestText(benchmark::State& state) {
  const std::u16string source = longestSourceText();
  const ConversionSettings settings;  // the window's start values: 25 x 20 cells
  NoOpHost host;
  for (auto _ : state) {
    ColumnGrid grid(25, 20);
    std::size_t rowLength = 0;
    const BlockWriter readRows = [&](ColumnGrid& g) {
      if (g.isEmpty()) return true;
      for (int row = 1; row <= g.charsPerLine(); ++row) {
        const std::u16string text = assembleRow(g, row, settings.showGrid);
        rowLength += text.size();
        benchmark::DoNotOptimize(text.data());
      }
      return true;
    };
    const bool ok = layoutText(source, settings, grid, host, readRows);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(rowLength);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(source.size()));
}
BENCHMARK(BM_layoutLongestText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvato
