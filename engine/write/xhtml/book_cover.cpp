#include "write/xhtml/book_cover.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "document/number_text.h"
#include "io/file_system.h"
#include "io/illustration_files.h"
#include "text/html_text.h"
#include "text/unicode_text.h"
#include "text/vertical_forms.h"

namespace zelvato {
namespace {

// The generated cover's page, in its own units (3 by 4, as store covers are).
constexpr int coverWidth = 1200;
constexpr int coverHeight = 1600;
constexpr double coverMargin = 200;

unsigned byteAt(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}

unsigned bigEndian(std::string_view bytes, std::size_t at, int count) {
  unsigned value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | byteAt(bytes, at + static_cast<std::size_t>(i));
  return value;
}

// A JPEG's size stands in its frame header (SOF0 to SOF15, but not DHT, JPG
// and DAC), after markers that each say how long they are.
std::optional<std::pair<int, int>> jpegSize(std::string_view bytes) {
  std::size_t at = 2;
  while (at + 4 <= bytes.size()) {
    if (byteAt(bytes, at) != 0xFF) return std::nullopt;
    const unsigned marker = byteAt(bytes, at + 1);
    if (marker == 0xFF) {
      ++at;  // fill byte
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) {
      at += 2;  // a marker without a length
      continue;
    }
    const unsigned length = bigEndian(bytes, at + 2, 2);
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame && at + 9 <= bytes.size())
      return std::pair(static_cast<int>(bigEndian(bytes, at + 7, 2)),
                       static_cast<int>(bigEndian(bytes, at + 5, 2)));
    if (length < 2) return std::nullopt;
    at += 2 + length;
  }
  return std::nullopt;
}

// Characters a vertical line sets turned: long marks, dashes, and Latin letters and digits.
bool turnedInVerticalLine(char16_t c) {
  return c == u'ー' || c == u'～' || c == u'〜' || c == u'－' || c == u'＝' || c == u'―' || c == u'—' ||
         c == u'–' || (c > 0x20 && c < 0x7F);
}

// Small kana sit to the upper right of their cell.
bool smallKana(char16_t c) {
  return std::u16string_view(u"ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ").find(c) !=
         std::u16string_view::npos;
}

// The characters of a text, a surrogate pair as one.
std::vector<std::u16string> charactersOf(std::u16string_view text) {
  std::vector<std::u16string> characters;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pair = i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    characters.emplace_back(text.substr(i, pair ? 2 : 1));
    if (pair) ++i;
  }
  return characters;
}

std::u16string number(double value) {
  return formatNumber(std::llround(value), 1);
}

// One character in its cell of a vertical line: `top` is the cell's top, `x` its middle.
std::u16string placed(const std::u16string& character, double x, double top, double size) {
  if (character == u" " || character == u"\u3000") return {};  // a blank keeps its cell
  const double middle = top + size / 2;
  std::u16string shown = character;
  std::u16string transform;
  double dx = 0, dy = 0.38 * size;  // the ideographic face's baseline below the cell's middle
  if (character.size() == 1) {
    const char16_t c = character.front();
    if (const char16_t form = toVerticalPresentationForm(c); form != 0) {
      shown = std::u16string(1, form);
    } else if (turnedInVerticalLine(c)) {
      dy = 0.3 * size;
      transform = u" transform=\"rotate(90 " + number(x) + u" " + number(middle) + u")\"";
    } else if (smallKana(c)) {
      dx = 0.1 * size;
      dy = 0.28 * size;
    }
  }
  return u"<text x=\"" + number(x + dx) + u"\" y=\"" + number(middle + dy) + u"\"" + transform + u">" +
         escapeText(shown) + u"</text>\n";
}

// A text set in vertical lines of at most `perLine` characters from `top`, the
// first line's middle at `right`, the next lines to its left.
std::u16string verticalLines(std::u16string_view text, double right, double top, double size,
                             std::size_t perLine) {
  const std::vector<std::u16string> characters = charactersOf(text);
  std::u16string svg;
  for (std::size_t i = 0; i < characters.size(); ++i)
    svg += placed(characters[i], right - static_cast<double>(i / perLine) * size * 1.5,
                  top + static_cast<double>(i % perLine) * size * 1.1, size);
  return svg;
}

std::size_t linesFor(std::size_t characters, std::size_t perLine) {
  return std::max<std::size_t>(1, (characters + perLine - 1) / perLine);
}

}  // namespace

std::optional<std::pair<int, int>> pictureSize(std::string_view bytes, std::string_view mediaType) {
  if (mediaType == "image/png") {
    if (bytes.size() < 24 || bytes.substr(12, 4) != "IHDR") return std::nullopt;
    const auto width = static_cast<int>(bigEndian(bytes, 16, 4)),
               height = static_cast<int>(bigEndian(bytes, 20, 4));
    if (width <= 0 || height <= 0) return std::nullopt;
    return std::pair(width, height);
  }
  if (mediaType == "image/jpeg") {
    const auto size = jpegSize(bytes);
    if (!size || size->first <= 0 || size->second <= 0) return std::nullopt;
    return size;
  }
  return std::nullopt;
}

CoverRead readCoverPicture(const std::string& path) {
  CoverRead read;
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  auto file =
      name.empty() ? std::nullopt : readIllustration(pathToText(folderOfPath(path)), pathToText(name));
  if (!file) {
    read.failure =
        "the cover cannot be read as a picture (a missing or special file, over 32 MB, or not the kind "
        "its name says)";
    return read;
  }
  if (file->mediaType != "image/jpeg" && file->mediaType != "image/png") {
    read.failure = "the cover must be a JPEG or PNG picture";
    return read;
  }
  const auto size = pictureSize(file->bytes, file->mediaType);
  if (!size) {
    read.failure = "the cover picture holds no readable size";
    return read;
  }
  read.picture =
      CoverPicture{file->extension, file->mediaType, std::move(file->bytes), size->first, size->second};
  return read;
}

CoverPicture generatedCover(std::u16string_view title, std::u16string_view author) {
  // The title in up to three lines right of the middle, as large as that allows.
  const std::size_t titleCharacters = charactersOf(title).size();
  double size = 120;
  const auto perLine = [](double s) {
    return static_cast<std::size_t>((coverHeight - 2 * coverMargin) / (s * 1.1));
  };
  while (linesFor(titleCharacters, perLine(size)) > 3 && size > 40) size -= 8;
  const std::size_t titleLines = linesFor(titleCharacters, perLine(size));
  const double titleRight = 760 + static_cast<double>(titleLines - 1) * size * 0.75;
  const double authorSize = 56;
  const std::size_t authorPerLine = perLine(authorSize) - 4;
  const std::size_t authorCharacters = charactersOf(author).size();
  // The author's lines end low on the page, left of the title.
  const double authorTop = coverHeight - coverMargin -
                           static_cast<double>(std::min(authorCharacters, authorPerLine)) * authorSize * 1.1;
  const double authorRight = std::min(titleRight - static_cast<double>(titleLines) * size * 1.5 - 60, 420.0);

  std::u16string svg =
      u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      u"<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"1200\" height=\"1600\" "
      u"viewBox=\"0 0 1200 1600\">\n"
      u"<rect width=\"1200\" height=\"1600\" fill=\"#f7f3ea\"/>\n"
      u"<rect x=\"60\" y=\"60\" width=\"1080\" height=\"1480\" fill=\"none\" stroke=\"#8c7b5a\" "
      u"stroke-width=\"4\"/>\n"
      u"<g fill=\"#2b2620\" text-anchor=\"middle\" font-family=\"'Hiragino Mincho ProN', 'Yu Mincho', "
      u"'IPAexMincho', 'IPAMincho', 'Noto Serif CJK JP', serif\">\n";
  svg += u"<g font-size=\"" + number(size) + u"\" font-weight=\"bold\">\n" +
         verticalLines(title, titleRight, coverMargin, size, perLine(size)) + u"</g>\n";
  if (!author.empty())
    svg += u"<g font-size=\"" + number(authorSize) + u"\">\n" +
           verticalLines(author, authorRight, authorTop, authorSize, authorPerLine) + u"</g>\n";
  svg += u"</g>\n</svg>\n";
  return CoverPicture{"svg", "image/svg+xml", utf16ToUtf8(svg), coverWidth, coverHeight};
}

std::string coverPage(const CoverPicture& picture, std::string_view href) {
  const std::string width = std::to_string(picture.width), height = std::to_string(picture.height);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
         "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" "
         "xml:lang=\"ja\" lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\"/>\n<title>表紙</title>\n"
         "<style>\nhtml, body { margin: 0; padding: 0; height: 100%; }\n"
         "svg { display: block; width: 100%; height: 100%; }\n</style>\n</head>\n"
         "<body epub:type=\"cover\">\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
         "version=\"1.1\" "
         "width=\"100%\" height=\"100%\" viewBox=\"0 0 " +
         width + " " + height + "\" preserveAspectRatio=\"xMidYMid meet\">\n<image width=\"" + width +
         "\" height=\"" + height + "\" xlink:href=\"" + std::string(href) +
         "\"/>\n</svg>\n</body>\n</html>\n";
}

}  // namespace zelvato
