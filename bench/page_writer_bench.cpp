// The page writer against the least any writer must do: encode the same
// markup once and write each file in one go. The "ratio" counter is the
// conversion's time over that floor. The conversion flushes its output files
// to disk in one pass before it renames them over their targets; "flush_ms"
// is what that pass costs on freshly written files of the same size (the
// floor's), and "flush_share" its part of the conversion's time.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "codepage.h"
#include "page_writer.h"
#include "unicode_text.h"

namespace zelvato {
namespace {

class NullHost : public ConversionHost {
 public:
  void yieldToEvents() override {}
  bool stopRequested() override { return false; }
  void setStatusText(std::u16string_view) override {}
  void blockMarkupFinished(std::u16string_view markup) override { markup_ += markup; }
  std::u16string markup_;
};

// 65,535 code units of Japanese prose with a line end now and then.
std::u16string longSource() {
  const std::u16string sentence =
      u"昼過ぎには日が差して、軒先からしずくが落ちる音がした。明日の朝にはもう、この白い景色も半分ほど消えて"
      u"いるだろう。";
  std::u16string text;
  while (text.size() < 65535) {
    text += sentence;
    text += u"「雪だ」と子どもたちが叫ぶ。１２３ＡＢＣ abc\r\n";
  }
  text.resize(65535);
  return text;
}

std::string makeFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zelvato-bench-XXXXXX").string();
  return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

using Clock = std::chrono::steady_clock;

// Runs one conversion per iteration, then the floor: the markup the run wrote,
// taken as UTF-16 again, encoded once per file and written with one write each.
void measure(benchmark::State& state, ConversionSettings settings) {
  const std::string folder = makeFolder();
  const std::u16string source = longSource();
  const std::string preview = folder + "/zelvato_temp.html";
  settings.singleFilePath = utf8ToUtf16(folder + "/single.html");
  settings.outputFolder = utf8ToUtf16(folder + "/");
  settings.fileBaseName = u"vt";
  double conversion = 0, floor = 0, flush = 0;
  std::int64_t bytes = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    NullHost host;
    beginPreviewFile(preview, settings);
    if (!convertText(source, settings, preview, host)) state.SkipWithError("conversion failed");
    const auto converted = Clock::now();
    conversion += std::chrono::duration<double>(converted - start).count();
    state.SetIterationTime(std::chrono::duration<double>(converted - start).count());

    // The floor, outside the measured time of the iteration.
    std::vector<std::pair<std::string, std::u16string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      if (entry.path().extension() != ".floor")
        files.emplace_back(entry.path().string(), decodeCp932(readBytes(entry.path().string())));
    const auto floorStart = Clock::now();
    for (const auto& [path, text] : files) {
      const std::string encoded = encodeCp932(text);
      createTextFile(path + ".floor");
      appendEncoded(path + ".floor", encoded);
      bytes += static_cast<std::int64_t>(encoded.size());
    }
    // The ".floor" files stay, so later iterations empty them as the run empties its own files.
    floor += std::chrono::duration<double>(Clock::now() - floorStart).count();

    // The flush pass as the conversion makes it: every file reopened and synced.
    const auto flushStart = Clock::now();
    for (const auto& [path, text] : files) {
      if (path == preview) continue;  // the preview file is not flushed
      const int fd = ::open((path + ".floor").c_str(), O_RDONLY | O_CLOEXEC);
      if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
      }
    }
    flush += std::chrono::duration<double>(Clock::now() - flushStart).count();
  }
  state.counters["conversion_ms"] = benchmark::Counter(conversion * 1000 / state.iterations());
  state.counters["floor_ms"] = benchmark::Counter(floor * 1000 / state.iterations());
  state.counters["ratio"] = benchmark::Counter(conversion / floor);
  state.counters["flush_ms"] = benchmark::Counter(flush * 1000 / state.iterations());
  state.counters["flush_share"] = benchmark::Counter(flush / conversion);
  state.SetBytesProcessed(bytes);
  std::filesystem::remove_all(folder);
}

void BM_PreviewAndSingleFile(benchmark::State& state) {
  ConversionSettings s;
  s.outputMode = OutputMode::singleFile;
  measure(state, s);
}
BENCHMARK(BM_PreviewAndSingleFile)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PageFilesOneBlockEach(benchmark::State& state) {
  ConversionSettings s;
  s.outputMode = OutputMode::pageFiles;
  s.columnsPerPage = u"1";
  s.addPageLinks = s.addPageNumbers = true;
  measure(state, s);
}
BENCHMARK(BM_PageFilesOneBlockEach)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvato
