#include "write/xhtml/zip_archive.h"

#include <libdeflate.h>

#include <ctime>
#include <utility>
#include <limits>

namespace zelvato {
namespace {

constexpr std::uint32_t localSignature = 0x04034b50;
constexpr std::uint32_t centralSignature = 0x02014b50;
constexpr std::uint32_t endSignature = 0x06054b50;
constexpr std::uint16_t versionNeeded = 20;  // deflate
constexpr std::uint16_t utf8Names = 0x0800;  // general purpose flag bit 11
constexpr std::uint16_t stored = 0, deflated = 8;

void put16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>(value >> 8);
}

void put32(std::string& out, std::uint32_t value) {
  put16(out, static_cast<std::uint16_t>(value & 0xffff));
  put16(out, static_cast<std::uint16_t>(value >> 16));
}

constexpr std::size_t most32 = std::numeric_limits<std::uint32_t>::max();

}  // namespace

ZipArchive::ZipArchive(int deflateLevel, Output output)
    : compressor_(libdeflate_alloc_compressor(deflateLevel)), output_(std::move(output)) {
  // Every entry carries the time the book was made, in the form zip keeps (local time, two seconds a step).
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) != nullptr && local.tm_year >= 80) {
    dosTime_ = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    dosDate_ =
        static_cast<std::uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  } else {
    dosDate_ = (1 << 5) | 1;  // 1980-01-01, the earliest a zip can say
  }
}

ZipArchive::~ZipArchive() {
  if (compressor_ != nullptr) libdeflate_free_compressor(compressor_);
}

bool ZipArchive::add(const std::string& name, std::string_view bytes, bool compressed) {
  if (failed_ || compressor_ == nullptr || name.size() > 0xffff || bytes.size() >= most32 ||
      count_ == 0xffff) {
    failed_ = true;
    return false;
  }
  const auto crc = static_cast<std::uint32_t>(libdeflate_crc32(0, bytes.data(), bytes.size()));
  std::string_view data = bytes;
  std::uint16_t method = stored;
  if (compressed && !bytes.empty()) {
    deflated_.resize(libdeflate_deflate_compress_bound(compressor_, bytes.size()));
    const std::size_t size = libdeflate_deflate_compress(compressor_, bytes.data(), bytes.size(),
                                                         deflated_.data(), deflated_.size());
    // Kept stored where deflating gains nothing (a JPEG, a PNG).
    if (size > 0 && size < bytes.size()) {
      data = std::string_view(deflated_.data(), size);
      method = deflated;
    }
  }
  const std::size_t offset = size_;
  if (offset >= most32 || offset + 30 + name.size() + data.size() >= most32) {
    failed_ = true;
    return false;
  }
  // The fields both headers share, from the version needed to the name's length.
  std::string shared;
  put16(shared, versionNeeded);
  put16(shared, utf8Names);
  put16(shared, method);
  put16(shared, dosTime_);
  put16(shared, dosDate_);
  put32(shared, crc);
  put32(shared, static_cast<std::uint32_t>(data.size()));
  put32(shared, static_cast<std::uint32_t>(bytes.size()));
  put16(shared, static_cast<std::uint16_t>(name.size()));
  put16(shared, 0);  // no extra field

  std::string header;
  put32(header, localSignature);
  header += shared;
  header += name;
  if (!put(header) || !put(data)) {
    failed_ = true;
    return false;
  }

  put32(central_, centralSignature);
  put16(central_, versionNeeded);  // made by: MS-DOS attributes, zip 2.0
  central_ += shared;
  put16(central_, 0);  // comment
  put16(central_, 0);  // disk
  put16(central_, 0);  // internal attributes
  put32(central_, 0);  // external attributes
  put32(central_, static_cast<std::uint32_t>(offset));
  central_ += name;
  ++count_;
  return true;
}

bool ZipArchive::put(std::string_view bytes) {
  size_ += bytes.size();
  if (!output_) {
    local_ += bytes;
    return true;
  }
  return output_(bytes);
}

bool ZipArchive::close() {
  if (failed_ || size_ + central_.size() >= most32) return false;
  const auto directoryOffset = static_cast<std::uint32_t>(size_);
  const auto directorySize = static_cast<std::uint32_t>(central_.size());
  std::string end = std::move(central_);
  put32(end, endSignature);
  put16(end, 0);  // this disk
  put16(end, 0);  // the directory's disk
  put16(end, count_);
  put16(end, count_);
  put32(end, directorySize);
  put32(end, directoryOffset);
  put16(end, 0);  // no comment
  central_.clear();
  count_ = 0;
  failed_ = !put(end);
  return !failed_;
}

std::string ZipArchive::finish() {
  if (output_ || !close()) return {};
  return std::exchange(local_, {});
}

}  // namespace zelvato
