#pragma once

#include <functional>

namespace zelvato::bench {

// Runs `end` after the last benchmark, before the program's exit: what a
// benchmark made and must end while the libraries are all still there.
void atBenchmarksEnd(std::function<void()> end);

}  // namespace zelvato::bench
