#include "text/jis_x0213.h"

#include <iconv.h>

namespace zelvato {
namespace {

struct Converter {
  Converter() : cd(iconv_open("UTF-16LE", "EUC-JISX0213")) {}
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  iconv_t cd;
};

}  // namespace

std::u16string jisX0213Character(int plane, int row, int cell) {
  if ((plane != 1 && plane != 2) || row < 1 || row > 94 || cell < 1 || cell > 94) return {};
  // EUC-JISX0213: plane 1 as two bytes 0xA0 + row, 0xA0 + cell; plane 2 behind 0x8F.
  char in[3];
  std::size_t inLeft = 0;
  if (plane == 2) in[inLeft++] = static_cast<char>(0x8F);
  in[inLeft++] = static_cast<char>(0xA0 + row);
  in[inLeft++] = static_cast<char>(0xA0 + cell);

  // Opened once per thread: a text may name hundreds of gaiji, and a converter
  // keeps state between calls, so runs on other threads never share it.
  thread_local const Converter converter;
  const iconv_t cd = converter.cd;
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char out[16];
  char* inPtr = in;
  char* outPtr = out;
  std::size_t outLeft = sizeof out;
  const bool converted = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
                         inLeft == 0 &&
                         iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  if (!converted) return {};

  std::u16string text;
  for (const char* p = out; p + 1 < outPtr; p += 2)
    text.push_back(
        static_cast<char16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8)));
  // A cell the converter leaves unassigned comes back as nothing or as U+FFFD.
  if (text == u"\uFFFD") return {};
  return text;
}

}  // namespace zelvato
