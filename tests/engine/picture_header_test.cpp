#include "io/picture_header.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace zelvato {
namespace {

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A baseline JPEG of 16 by 16 pixels as far as its markers go: a frame header
// with one component, a scan and the end marker.
std::string jpeg(
    std::string_view frame = std::string_view("\xff\xc0\x00\x0b\x08\x00\x10\x00\x10\x01\x01\x11\x00", 13)) {
  std::string b("\xff\xd8\xff\xe0\x00\x04JF", 8);
  b += frame;
  b += std::string("\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00", 10) + "scan";
  return b + "\xff\xd9";
}

std::string gif(std::uint8_t width) {
  std::string b = "GIF89a";
  b += static_cast<char>(width);
  b += std::string("\x00\x01\x00\x00\x00\x00", 6);
  return b + std::string(",....", 5) + ";";
}

// Each kind's whole picture is taken; a signature alone, a cut file, a broken
// header or an SVG that would run code is refused.
TEST(PictureHeader, takesWholePicturesAndRefusesSignaturesAloneBrokenOnesAndScripts) {
  const std::string png = bytesOf(std::string(ZELVATO_TEST_DATA_DIR) + "/illustration.png");
  std::string zeroWidthPng = png;
  zeroWidthPng.replace(16, 4, std::string(4, '\0'));
  std::string webp = "RIFF" + std::string("\x0c\x00\x00\x00", 4) + "WEBPVP8 " + std::string(4, '\0');
  struct Case {
    const char* what;
    const char* mediaType;
    std::string bytes;
    bool whole;
  };
  const Case cases[] = {
      {"a PNG", "image/png", png, true},
      {"a PNG's signature alone", "image/png", png.substr(0, 8), false},
      {"a PNG cut before its end", "image/png", png.substr(0, png.size() - 12), false},
      {"a PNG with more after its end", "image/png", png + "trailing", false},
      {"a PNG of no width", "image/png", zeroWidthPng, false},
      {"a PNG named a JPEG", "image/jpeg", png, false},
      {"a JPEG", "image/jpeg", jpeg(), true},
      {"a JPEG's start alone", "image/jpeg", "\xff\xd8\xff", false},
      {"a JPEG without its end marker", "image/jpeg", jpeg().substr(0, jpeg().size() - 2), false},
      {"a JPEG of height 0", "image/jpeg",
       jpeg(std::string_view("\xff\xc0\x00\x0b\x08\x00\x00\x00\x10\x01\x01\x11\x00", 13)), false},
      {"a JPEG whose segment runs past its end", "image/jpeg",
       std::string("\xff\xd8\xff\xe0\x7f\x00garbage\xff\xd9", 15), false},
      {"a JPEG scanned before any frame", "image/jpeg", jpeg(""), false},
      {"a GIF", "image/gif", gif(1), true},
      {"a GIF of no width", "image/gif", gif(0), false},
      {"a GIF's header and dots", "image/gif", "GIF89a....", false},
      {"a WebP", "image/webp", webp, true},
      {"a WebP whose size is wrong", "image/webp", webp + "x", false},
      {"an SVG", "image/svg+xml",
       "<svg xmlns=\"http://www.w3.org/2000/svg\" font-family=\"serif\"><desc>onload=x</desc><polygon "
       "points=\"0,0 1,1\"/></svg>",
       true},
      {"an SVG with a script", "image/svg+xml", "<svg><SCRIPT>alert(1)</SCRIPT></svg>", false},
      {"an SVG with onload", "image/svg+xml", "<svg onload=\"alert(1)\"></svg>", false},
      {"an SVG with an event attribute spaced", "image/svg+xml", "<svg><rect\nonclick = 'x'/></svg>", false},
      {"an SVG with a script link", "image/svg+xml", "<svg><a href=\"JavaScript:alert(1)\">x</a></svg>",
       false},
      {"an SVG declaring entities", "image/svg+xml", "<!DOCTYPE svg [<!ENTITY a \"aaaa\">]><svg>&a;&a;</svg>",
       false},
      {"an SVG with a foreign object", "image/svg+xml", "<svg><foreignObject><p>x</p></foreignObject></svg>",
       false},
      {"a text named an SVG", "image/svg+xml", "just words", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(wholePicture(c.mediaType, c.bytes), c.whole);
  }
}

}  // namespace
}  // namespace zelvato
