#include "write/pdf/pdf_objects.h"

#include <libdeflate.h>

#include <charconv>
#include <cmath>
#include <cstdio>

namespace zelvato::pdf {
namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

void appendHexByte(std::string& out, unsigned byte) {
  out += hexDigits[(byte >> 4) & 0xF];
  out += hexDigits[byte & 0xF];
}

}  // namespace

void appendNumber(std::string& out, double value) {
  // Thousandths, rounded half away from zero; -0 is written as 0.
  const long long scaled = std::llround(value * 1000.0);
  if (scaled == 0) {
    out += '0';
    return;
  }
  unsigned long long magnitude =
      scaled < 0 ? 0ULL - static_cast<unsigned long long>(scaled) : static_cast<unsigned long long>(scaled);
  if (scaled < 0) out += '-';
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, magnitude / 1000).ptr;
  out.append(digits, end);
  unsigned fraction = static_cast<unsigned>(magnitude % 1000);
  if (fraction == 0) return;
  char decimals[4] = {static_cast<char>('0' + fraction / 100), static_cast<char>('0' + fraction / 10 % 10),
                      static_cast<char>('0' + fraction % 10), 0};
  int length = 3;
  while (decimals[length - 1] == '0') --length;
  out += '.';
  out.append(decimals, static_cast<std::size_t>(length));
}

void appendStringByte(std::string& out, unsigned char byte) {
  switch (byte) {
    case '(':
    case ')':
    case '\\':
      out += '\\';
      out += static_cast<char>(byte);
      break;
    case '\r':
      out += "\\r";
      break;
    default:
      out += static_cast<char>(byte);
  }
}

void appendTextString(std::string& out, std::u16string_view text) {
  out += "(\xFE\xFF";
  for (const char16_t unit : text) {
    appendStringByte(out, static_cast<unsigned char>(unit >> 8));
    appendStringByte(out, static_cast<unsigned char>(unit & 0xFF));
  }
  out += ')';
}

void appendName(std::string& out, std::string_view name) {
  out += '/';
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    const bool delimiter = std::string_view("()<>[]{}/%#").find(c) != std::string_view::npos;
    if (byte <= 0x20 || byte >= 0x7F || delimiter) {
      out += '#';
      appendHexByte(out, byte);
    } else {
      out += c;
    }
  }
}

// libdeflate's fastest level packs page content and fonts within a few
// percent of zlib's best, at several times zlib's fastest speed.
ObjectWriter::ObjectWriter(ByteSink sink)
    : sink_(std::move(sink)), offsets_(1, 0), compressor_(libdeflate_alloc_compressor(1)) {}

ObjectWriter::~ObjectWriter() {
  if (compressor_ != nullptr) libdeflate_free_compressor(compressor_);
}

std::string_view ObjectWriter::deflate(std::string_view data) {
  if (compressor_ == nullptr) return {};
  deflated_.resize(libdeflate_zlib_compress_bound(compressor_, data.size()));
  const std::size_t size =
      libdeflate_zlib_compress(compressor_, data.data(), data.size(), deflated_.data(), deflated_.size());
  return {deflated_.data(), size};
}

bool ObjectWriter::put(std::string_view bytes) {
  if (failed_) return false;
  // Two FNV-1a digests, for the file identifier.
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    digest_[0] = (digest_[0] ^ byte) * 0x100000001b3ULL;
    digest_[1] = (digest_[1] ^ byte) * 0x100000001b3ULL + 1;
  }
  if (!sink_(bytes)) {
    failed_ = true;
    return false;
  }
  offset_ += bytes.size();
  return true;
}

bool ObjectWriter::begin() {
  // PDF 1.7; the comment's bytes above 127 tell transfer programs the file is binary.
  return put("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
}

int ObjectWriter::reserve() {
  offsets_.push_back(0);
  return static_cast<int>(offsets_.size() - 1);
}

bool ObjectWriter::write(int number, std::string_view body) {
  offsets_[static_cast<std::size_t>(number)] = offset_;
  std::string head = std::to_string(number) + " 0 obj\n";
  return put(head) && put(body) && put("\nendobj\n");
}

bool ObjectWriter::writeStream(int number, std::string_view entries, std::string_view data, bool compress) {
  const std::string_view packed = compress ? deflate(data) : std::string_view();
  const bool deflated = !packed.empty();
  const std::string_view body = deflated ? packed : data;
  offsets_[static_cast<std::size_t>(number)] = offset_;
  std::string head = std::to_string(number) + " 0 obj\n<<";
  head += entries;
  head += "/Length " + std::to_string(body.size());
  if (deflated) head += "/Filter/FlateDecode";
  head += ">>\nstream\n";
  return put(head) && put(body) && put("\nendstream\nendobj\n");
}

bool ObjectWriter::finish(int catalog, int info) {
  for (std::size_t n = 1; n < offsets_.size(); ++n)
    if (offsets_[n] == 0) return false;
  const std::uint64_t start = offset_;
  std::string table = "xref\n0 " + std::to_string(offsets_.size()) + "\n0000000000 65535 f \n";
  table.reserve(table.size() + 20 * offsets_.size());
  char entry[24];
  for (std::size_t n = 1; n < offsets_.size(); ++n) {
    std::snprintf(entry, sizeof entry, "%010llu 00000 n \n", static_cast<unsigned long long>(offsets_[n]));
    table += entry;
  }
  std::string identifier;
  for (const std::uint64_t part : digest_)
    for (int shift = 56; shift >= 0; shift -= 8) appendHexByte(identifier, (part >> shift) & 0xFF);
  table += "trailer\n<</Size " + std::to_string(offsets_.size()) + "/Root " + std::to_string(catalog) +
           " 0 R/Info " + std::to_string(info) + " 0 R/ID[<" + identifier + "><" + identifier +
           ">]>>\nstartxref\n" + std::to_string(start) + "\n%%EOF\n";
  return put(table);
}

}  // namespace zelvato::pdf
