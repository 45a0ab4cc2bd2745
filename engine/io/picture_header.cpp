#include "io/picture_header.h"

#include <cstdint>
#include <string>

namespace zelvato {
namespace {

std::uint32_t bigEndian32(std::string_view b, std::size_t at) {
  return (std::uint32_t{static_cast<unsigned char>(b[at])} << 24) |
         (std::uint32_t{static_cast<unsigned char>(b[at + 1])} << 16) |
         (std::uint32_t{static_cast<unsigned char>(b[at + 2])} << 8) | static_cast<unsigned char>(b[at + 3]);
}
std::uint32_t bigEndian16(std::string_view b, std::size_t at) {
  return (std::uint32_t{static_cast<unsigned char>(b[at])} << 8) | static_cast<unsigned char>(b[at + 1]);
}
std::uint32_t littleEndian16(std::string_view b, std::size_t at) {
  return (std::uint32_t{static_cast<unsigned char>(b[at + 1])} << 8) | static_cast<unsigned char>(b[at]);
}
std::uint32_t littleEndian32(std::string_view b, std::size_t at) {
  return (littleEndian16(b, at + 2) << 16) | littleEndian16(b, at);
}

bool wholePng(std::string_view b) {
  constexpr std::string_view signature = "\x89PNG\r\n\x1a\n";
  // Signature, IHDR (length, type, 13 bytes, CRC) and IEND (12 bytes).
  if (b.size() < 8 + 25 + 12 || !b.starts_with(signature)) return false;
  if (bigEndian32(b, 8) != 13 || b.substr(12, 4) != "IHDR") return false;
  const std::uint32_t width = bigEndian32(b, 16), height = bigEndian32(b, 20);
  const unsigned depth = static_cast<unsigned char>(b[24]), colour = static_cast<unsigned char>(b[25]);
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
  const bool depthFits =
      (colour == 0 && (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
      (colour == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
      ((colour == 2 || colour == 4 || colour == 6) && (depth == 8 || depth == 16));
  if (!depthFits || b[26] != 0 || b[27] != 0 || static_cast<unsigned char>(b[28]) > 1) return false;
  // The chunks lead from IHDR to IEND at the very end.
  std::size_t at = 8;
  bool sawData = false;
  while (at + 12 <= b.size()) {
    const std::uint64_t length = bigEndian32(b, at);
    const std::string_view type = b.substr(at + 4, 4);
    if (length > b.size() - at - 12) return false;
    if (type == "IDAT") sawData = true;
    if (type == "IEND") return sawData && length == 0 && at + 12 == b.size();
    at += 12 + length;
  }
  return false;
}

bool wholeJpeg(std::string_view b) {
  if (b.size() < 4 || !b.starts_with("\xff\xd8") || !b.ends_with("\xff\xd9")) return false;
  std::size_t at = 2;
  while (at + 4 <= b.size()) {
    if (static_cast<unsigned char>(b[at]) != 0xFF) return false;
    const unsigned marker = static_cast<unsigned char>(b[at + 1]);
    if (marker == 0xFF) {  // fill bytes before a marker
      ++at;
      continue;
    }
    if (marker == 0xD8 || marker == 0xD9 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
      return false;
    const std::uint32_t length = bigEndian16(b, at + 2);
    if (length < 2 || at + 2 + length > b.size()) return false;
    // A frame header (SOF0 to SOF15, not DHT, JPG or DAC) gives the picture's size.
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 8) return false;
      const std::uint32_t height = bigEndian16(b, at + 5), width = bigEndian16(b, at + 7);
      const unsigned components = static_cast<unsigned char>(b[at + 9]);
      return width > 0 && height > 0 && components > 0 && length == 8 + 3 * components;
    }
    if (marker == 0xDA) return false;  // scan data before any frame header
    at += 2 + length;
  }
  return false;
}

bool wholeGif(std::string_view b) {
  if (b.size() < 14 || !(b.starts_with("GIF87a") || b.starts_with("GIF89a"))) return false;
  return littleEndian16(b, 6) > 0 && littleEndian16(b, 8) > 0 && b.back() == '\x3b';
}

bool wholeWebp(std::string_view b) {
  return b.size() >= 20 && b.starts_with("RIFF") && b.substr(8, 4) == "WEBP" &&
         std::uint64_t{littleEndian32(b, 4)} + 8 == b.size();
}

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return lower;
}

bool isNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':' || c == '.';
}

// An attribute named on... (onload, onclick) anywhere a name can stand in a tag.
bool hasEventAttribute(const std::string& svg) {
  bool inTag = false;
  char quote = 0;
  for (std::size_t i = 0; i < svg.size(); ++i) {
    const char c = svg[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
      continue;
    }
    if (!inTag) {
      inTag = c == '<';
      continue;
    }
    if (c == '>') {
      inTag = false;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if ((c == 'o') && i > 0 && !isNameChar(svg[i - 1]) && svg.compare(i, 2, "on") == 0) {
      std::size_t end = i + 2;
      while (end < svg.size() && isNameChar(svg[end])) ++end;
      while (end < svg.size() &&
             (svg[end] == ' ' || svg[end] == '\t' || svg[end] == '\n' || svg[end] == '\r'))
        ++end;
      if (end > i + 2 && end < svg.size() && svg[end] == '=') return true;
    }
  }
  return false;
}

bool harmlessSvg(std::string_view b) {
  const std::string svg = lowerAscii(b);
  if (svg.substr(0, 4096).find("<svg") == std::string::npos) return false;
  for (const char* active :
       {"<script", "javascript:", "<!entity", "<foreignobject", "<iframe", "<embed", "<object"})
    if (svg.find(active) != std::string::npos) return false;
  return !hasEventAttribute(svg);
}

}  // namespace

bool wholePicture(std::string_view mediaType, std::string_view bytes) {
  if (mediaType == "image/png") return wholePng(bytes);
  if (mediaType == "image/jpeg") return wholeJpeg(bytes);
  if (mediaType == "image/gif") return wholeGif(bytes);
  if (mediaType == "image/webp") return wholeWebp(bytes);
  if (mediaType == "image/svg+xml") return harmlessSvg(bytes);
  return false;
}

}  // namespace zelvato
