#include "bench_main.h"

#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

namespace zelvato::bench {
namespace {

std::vector<std::function<void()>>& ends() {
  static std::vector<std::function<void()>> list;
  return list;
}

}  // namespace

void atBenchmarksEnd(std::function<void()> end) {
  ends().push_back(std::move(end));
}

}  // namespace zelvato::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (auto& end : zelvato::bench::ends()) end();
  return 0;
}
