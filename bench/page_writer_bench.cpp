// The page writer against the least any writer must do with the same output:
// the markup the run wrote, encoded once per file, written to as many new
// files with one write each and made as durable as the run makes its own:
// write-back started for every file, then each waited for with fdatasync,
// then each folder synced once, as a new file's name lasts only then.
// The "ratio" counter is the conversion's time over that floor; "flush_ms" is
// the floor's durability pass alone and "flush_share" its part of the
// conversion's time: the share no staging can save.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "io/staged_files.h"
#include "run/conversion.h"
#include "text/codepage.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"

namespace zelvato {
namespace {

// The host of the page writer's floor: it keeps the markup, as the window's pane does.
class MarkupHost : public ConversionHost {
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

void syncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ::fsync(fd);
  ::close(fd);
}

// Runs one conversion per iteration, then the floor on the files it wrote.
// The preview goes beside the outputs, or into a folder of its own as the
// window keeps it.
void measure(benchmark::State& state, ConversionSettings settings, bool previewApart) {
  const std::string folder = makeFolder();
  const std::string previewFolder = previewApart ? makeFolder() : folder;
  const std::u16string source = longSource();
  const std::string preview = previewFolder + "/zelvato_temp.html";
  settings.singleFilePath = utf8ToUtf16(folder + "/single.html");
  settings.outputFolder = utf8ToUtf16(folder + "/");
  settings.fileBaseName = u"vt";
  double conversion = 0, floor = 0, flush = 0;
  std::int64_t bytes = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    MarkupHost host;
    if (!convertText(source, settings, preview, host)) state.SkipWithError("conversion failed");
    const auto converted = Clock::now();
    conversion += std::chrono::duration<double>(converted - start).count();
    state.SetIterationTime(std::chrono::duration<double>(converted - start).count());

    // The floor, outside the measured time of the iteration: new files in
    // place of the earlier ones, as the run's are.
    std::vector<std::pair<std::string, std::u16string>> files;
    std::vector<std::string> folders{folder};
    if (previewApart) folders.push_back(previewFolder);
    for (const std::string& written : folders)
      for (const auto& entry : std::filesystem::directory_iterator(written)) {
        if (entry.path().extension() == ".floor") continue;
        files.emplace_back(entry.path().string() + ".floor", decodeCp932(readBytes(entry.path().string())));
      }
    const auto floorStart = Clock::now();
    std::vector<int> written;
    for (const auto& [path, text] : files) {
      const std::string encoded = encodeCp932(text);
      ::unlink(path.c_str());
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd < 0 || !writeAll(fd, encoded)) state.SkipWithError("floor not written");
      ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
      written.push_back(fd);
      bytes += static_cast<std::int64_t>(encoded.size());
    }
    const auto flushStart = Clock::now();
    for (const int fd : written) {
      ::fdatasync(fd);
      ::close(fd);
    }
    for (const std::string& place : folders) syncFolder(place);
    const auto floorEnd = Clock::now();
    floor += std::chrono::duration<double>(floorEnd - floorStart).count();
    flush += std::chrono::duration<double>(floorEnd - flushStart).count();
  }
  state.counters["conversion_ms"] = benchmark::Counter(conversion * 1000 / state.iterations());
  state.counters["floor_ms"] = benchmark::Counter(floor * 1000 / state.iterations());
  state.counters["ratio"] = benchmark::Counter(conversion / floor);
  state.counters["flush_ms"] = benchmark::Counter(flush * 1000 / state.iterations());
  state.counters["flush_share"] = benchmark::Counter(flush / conversion);
  state.SetBytesProcessed(bytes);
  std::filesystem::remove_all(folder);
  std::filesystem::remove_all(previewFolder);
}

void BM_PreviewAndSingleFile(benchmark::State& state) {
  ConversionSettings s;
  s.outputMode = writerKeys::singleFile;
  measure(state, s, false);
}
BENCHMARK(BM_PreviewAndSingleFile)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PreviewApartAndSingleFile(benchmark::State& state) {
  ConversionSettings s;
  s.outputMode = writerKeys::singleFile;
  measure(state, s, true);
}
BENCHMARK(BM_PreviewApartAndSingleFile)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PageFilesOneBlockEach(benchmark::State& state) {
  ConversionSettings s;
  s.outputMode = writerKeys::pageFiles;
  s.columnsPerPage = u"1";
  s.addPageLinks = s.addPageNumbers = true;
  measure(state, s, false);
}
BENCHMARK(BM_PageFilesOneBlockEach)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvato
