#pragma once

class QApplication;

namespace zelvato::bench {

// The one application of the benchmark program, for every benchmark that needs
// one (the progress bar's widgets): made on first use, on the
// offscreen platform unless another is asked for, and ended after the last
// benchmark while the libraries it needs as it ends are all still there. Qt
// allows one application at a time, so no benchmark makes its own.
QApplication& application();

}  // namespace zelvato::bench
