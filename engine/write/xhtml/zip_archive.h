#pragma once

#include <zip.h>

#include <memory>
#include <string>
#include <vector>

namespace zelvato {

// A zip archive made in memory, its entries in the order they are added: an
// EPUB's mimetype first and stored, the rest deflated at `deflateLevel`.
class ZipArchive {
 public:
  explicit ZipArchive(int deflateLevel);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  bool add(const std::string& name, std::string bytes, bool compressed = true);
  // The zipped bytes; empty when the archive could not be closed.
  std::string finish();

 private:
  int deflateLevel_;
  zip_error_t error_{};
  zip_source_t* source_ = nullptr;
  zip_t* archive_ = nullptr;
  std::vector<std::unique_ptr<std::string>> contents_;
};

}  // namespace zelvato
