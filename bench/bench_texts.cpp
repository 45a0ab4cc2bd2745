#include "bench_texts.h"

#include <fstream>
#include <iterator>

#include "read/source_decoding.h"

namespace zelvato::bench {

const std::u16string& novel() {
  static const std::u16string text = [] {
    std::ifstream in(ZELVATO_BENCH_DATA_DIR "/wagahai-wa-neko-de-aru.txt", std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::u16string joined;
    for (const std::u16string& line : decodeSource(bytes).lines) joined += line + u"\r\n";
    return joined;
  }();
  return text;
}

}  // namespace zelvato::bench
