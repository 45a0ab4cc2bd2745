// One frame of the progress window's bar (4455 x 375 twips, 297 x 25 pixels): what each
// timer tick costs when it sets Value.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QWidget>
#include <memory>

#include "bench_application.h"
#include "control_dispatch.h"
#include "control_host.h"

namespace {

class BenchSite final : public zelvato::hosting::ControlSite {
 public:
  QFont ambientFont() const override { return QFont(QStringLiteral("DejaVu Sans"), 9); }
  void propertyChanged(const QString&) override {}
};

void BM_ProgressBarFrame(benchmark::State& state) {
  zelvato::bench::application();
  BenchSite site;
  const zelvato::hosting::CreatedControl created =
      zelvato::hosting::createControl(QStringLiteral("Serivane.svProgressBar"), nullptr, &site, nullptr,
                                      nullptr, QFileInfo(QStringLiteral(ZORBAR32_PATH)).absolutePath());
  if (!created.ok()) {
    state.SkipWithError(qPrintable(created.error));
    return;
  }
  std::unique_ptr<QWidget> bar(created.widget());
  bar->resize(297, 25);
  bar->show();
  QApplication::processEvents();
  const int style = static_cast<int>(state.range(0));
  zelvato::hosting::dispatchPut(bar.get(), 0x68030000, style);
  zelvato::hosting::dispatchPut(bar.get(), 0x68030003, QStringLiteral("字 "));
  zelvato::hosting::dispatchPut(bar.get(), 0x68030006, 1000);
  int value = 0;
  for (auto _ : state) {
    // The timer tick: Value through its identifier, which repaints the whole box.
    zelvato::hosting::dispatchPut(bar.get(), 0x68030008, value);
    value = (value + 7) % 1001;
    // With the second argument set, the box also shows the picture on the screen.
    if (state.range(1)) bar->repaint();
  }
}
// Arguments: style (0 horizontal, 1 vertical), whether the screen is painted too.
BENCHMARK(BM_ProgressBarFrame)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

}  // namespace
