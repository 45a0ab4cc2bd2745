#include "bench_application.h"

#include <QApplication>
#include <utility>

#include "bench_main.h"

namespace zelvato::bench {
namespace {

QApplication* benchApplication = nullptr;

}  // namespace

QApplication& application() {
  static int argc = 1;
  static char name[] = "zelvato_bench";
  static char* argv[] = {name, nullptr};
  if (benchApplication == nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    benchApplication = new QApplication(argc, argv);
    atBenchmarksEnd([] { delete std::exchange(benchApplication, nullptr); });
  }
  return *benchApplication;
}

}  // namespace zelvato::bench
