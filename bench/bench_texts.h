#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "run/conversion.h"
#include "run/null_host.h"

namespace zelvato::bench {

// A temporary folder, gone with the object.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvato-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TemporaryFolder() {
    if (!path_.empty()) std::filesystem::remove_all(path_);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// 吾輩は猫である (public domain, an unmodified Aozora Bunko file) as the
// window's source pane holds it: code page 932 decoded, every line ending CR LF.
// Read once.
const std::u16string& novel();

}  // namespace zelvato::bench
