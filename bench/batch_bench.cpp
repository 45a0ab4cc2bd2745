// Many files in one run against one process per file. A thousand texts of
// about 30 KB, cut at line ends from one long public-domain text, are
// converted with every typesetting option on, first by one zelvato-convert
// --out-dir run, then by one zelvato-convert --single run per file with as
// many processes at a time as there are cores. "speedup" is the second time
// over the first; "same_bytes" is 1 when every output of the batch is byte
// for byte its single run's.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr int textCount = 1000;
constexpr std::size_t pieceSize = 30 * 1024;
const std::vector<std::string> typesetting = {"--kinsoku", "--tate-chu-yoko", "--aozora"};

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Piece i begins at the first line after a start that moves through the
// text, and ends at the first line end after about pieceSize bytes, so no
// two-byte character is ever cut.
std::vector<std::string> cutIntoPieces(const std::string& text) {
  std::vector<std::string> pieces;
  const std::size_t span = text.size() - 2 * pieceSize;
  for (int i = 0; i < textCount; ++i) {
    std::size_t begin = (static_cast<std::size_t>(i) * 7919 * 37) % span;
    begin = text.find("\r\n", begin) + 2;
    const std::size_t end = text.find("\r\n", begin + pieceSize) + 2;
    pieces.push_back(text.substr(begin, end - begin));
  }
  return pieces;
}

// Starts the converter with these arguments; its process id, or -1.
pid_t start(std::vector<std::string> args) {
  args.insert(args.begin(), ZELVATO_CONVERT_PATH);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int finish(pid_t pid) {
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

using Clock = std::chrono::steady_clock;

void BM_ThousandTextsOneRunAgainstOneProcessEach(benchmark::State& state) {
  std::string pattern = (std::filesystem::temp_directory_path() / "zelvato-batch-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::filesystem::path folder = pattern;
  std::filesystem::create_directories(folder / "texts");
  std::vector<std::string> inputs;
  std::int64_t bytes = 0;
  for (const std::string& piece : cutIntoPieces(readBytes(ZELVATO_BENCH_DATA_DIR "/kokoro.txt"))) {
    const std::string path = (folder / "texts" / ("text" + std::to_string(inputs.size()) + ".txt")).string();
    std::ofstream(path, std::ios::binary) << piece;
    inputs.push_back(path);
    bytes += static_cast<std::int64_t>(piece.size());
  }
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  double batch = 0, perFile = 0;
  bool same = true;
  for (auto _ : state) {
    std::filesystem::remove_all(folder / "batch");
    std::filesystem::remove_all(folder / "single");
    std::filesystem::create_directories(folder / "batch");
    std::filesystem::create_directories(folder / "single");

    std::vector<std::string> args = typesetting;
    args.push_back("--out-dir=" + (folder / "batch").string());
    args.insert(args.end(), inputs.begin(), inputs.end());
    const auto batchStart = Clock::now();
    if (finish(start(args)) != 0) state.SkipWithError("the batch run failed");
    const double batchTime = std::chrono::duration<double>(Clock::now() - batchStart).count();
    batch += batchTime;
    state.SetIterationTime(batchTime);

    const auto singleStart = Clock::now();
    std::vector<pid_t> running;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      if (running.size() == cores) {
        if (finish(running.front()) != 0) state.SkipWithError("a single run failed");
        running.erase(running.begin());
      }
      std::vector<std::string> single = typesetting;
      single.push_back("--single=" + (folder / "single" / ("text" + std::to_string(i) + ".html")).string());
      single.push_back(inputs[i]);
      running.push_back(start(single));
    }
    for (const pid_t pid : running)
      if (finish(pid) != 0) state.SkipWithError("a single run failed");
    perFile += std::chrono::duration<double>(Clock::now() - singleStart).count();

    for (std::size_t i = 0; i < inputs.size(); ++i) {
      const std::string name = "text" + std::to_string(i) + ".html";
      same = same &&
             readBytes((folder / "batch" / name).string()) == readBytes((folder / "single" / name).string());
    }
  }
  state.counters["batch_s"] = benchmark::Counter(batch / state.iterations());
  state.counters["one_process_each_s"] = benchmark::Counter(perFile / state.iterations());
  state.counters["speedup"] = benchmark::Counter(perFile / batch);
  state.counters["same_bytes"] = benchmark::Counter(same ? 1 : 0);
  state.counters["texts"] = benchmark::Counter(textCount);
  state.SetBytesProcessed(bytes * state.iterations());
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ThousandTextsOneRunAgainstOneProcessEach)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
