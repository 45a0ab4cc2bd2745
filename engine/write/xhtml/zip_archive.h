#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct libdeflate_compressor;

namespace zelvato {

// A zip archive made in memory, its entries in the order they are added: an
// EPUB's mimetype first and stored, the rest deflated at `deflateLevel`
// (libdeflate's 1 to 12), or stored where deflating would not make them
// smaller. Names are UTF-8; no entry or archive may reach 4 GB. Given an
// output, each entry is handed to it as it is added, so that a book of large
// pictures is never held whole.
class ZipArchive {
 public:
  using Output = std::function<bool(std::string_view)>;
  explicit ZipArchive(int deflateLevel, Output output = {});
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // False when the entry cannot be added (too large, too many, no compressor).
  bool add(const std::string& name, std::string_view bytes, bool compressed = true);
  // The zipped bytes; empty when an entry could not be added. Without an output only.
  std::string finish();
  // Writes the directory that ends the archive to the output; false when an
  // entry could not be added or a write failed.
  bool close();

 private:
  bool put(std::string_view bytes);

  libdeflate_compressor* compressor_;
  Output output_;
  std::string local_;    // without an output: the local headers with the entries' data
  std::size_t size_ = 0;  // bytes of the archive so far
  std::string central_;  // the central directory
  std::uint16_t count_ = 0;
  std::uint16_t dosTime_ = 0;
  std::uint16_t dosDate_ = 0;
  bool failed_ = false;
  std::string deflated_;
};

}  // namespace zelvato
