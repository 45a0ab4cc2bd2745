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
  NoOpHost host;
  for (auto _ : state) {
    ColumnGrid grid(25, 20);
    std::size_t rowLength = 0;
    const BlockWriter readRows = [&](ColumnGrid& g) {
      if (g.isEmpty()) return true;
      for (int row = 1; row <= g.rowCount(); ++row) {
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
  state.SetLabel(typeset ? "kinsoku + tate-chu-yoko + Aozora notation" : "plain");
}
BENCHMARK(BM_layoutLongestText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvato
