#include "write/xhtml/zip_archive.h"

#include <cstdio>
#include <ctime>

namespace zelvato {

ZipArchive::ZipArchive(int deflateLevel) : deflateLevel_(deflateLevel) {
  zip_error_init(&error_);
  source_ = zip_source_buffer_create(nullptr, 0, 0, &error_);
  if (source_ == nullptr) return;
  archive_ = zip_open_from_source(source_, ZIP_TRUNCATE, &error_);
  if (archive_ == nullptr) {
    zip_source_free(source_);
    source_ = nullptr;
    return;
  }
  zip_source_keep(source_);
}

ZipArchive::~ZipArchive() {
  if (archive_ != nullptr) zip_discard(archive_);
  if (source_ != nullptr) zip_source_free(source_);
  zip_error_fini(&error_);
}

bool ZipArchive::add(const std::string& name, std::string bytes, bool compressed) {
  if (archive_ == nullptr) return false;
  contents_.push_back(std::make_unique<std::string>(std::move(bytes)));
  const std::string& data = *contents_.back();
  zip_source_t* entry = zip_source_buffer(archive_, data.data(), data.size(), 0);
  if (entry == nullptr) return false;
  const zip_int64_t index = zip_file_add(archive_, name.c_str(), entry, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
  if (index < 0) {
    zip_source_free(entry);
    return false;
  }
  zip_file_set_mtime(archive_, static_cast<zip_uint64_t>(index), std::time(nullptr), 0);
  return zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index),
                                  compressed ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                  compressed ? static_cast<zip_uint32_t>(deflateLevel_) : 0) == 0;
}

std::string ZipArchive::finish() {
  if (archive_ == nullptr) return {};
  if (zip_close(archive_) != 0) return {};
  archive_ = nullptr;
  std::string bytes;
  if (zip_source_open(source_) != 0) return {};
  if (zip_source_seek(source_, 0, SEEK_END) == 0) {
    const zip_int64_t size = zip_source_tell(source_);
    if (size > 0 && zip_source_seek(source_, 0, SEEK_SET) == 0) {
      bytes.resize(static_cast<std::size_t>(size));
      if (zip_source_read(source_, bytes.data(), static_cast<zip_uint64_t>(size)) != size) bytes.clear();
    }
  }
  zip_source_close(source_);
  return bytes;
}

}  // namespace zelvato
