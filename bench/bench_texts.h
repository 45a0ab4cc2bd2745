#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "conversion.h"

namespace zelvato::bench {

// A host that shows nothing and never asks to stop: the run alone is measured.
class QuietHost : public ConversionHost {
 public:
  void yieldToEvents() override {}
  bool stopRequested() override { return false; }
  void setStatusText(std::u16string_view) override {}
  void blockMarkupFinished(std::u16string_view) override {}
};

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
