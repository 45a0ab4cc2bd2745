#include "pdf_tools.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

extern char** environ;

namespace zelvato::testing {

ToolRun runTool(const std::vector<std::string>& arguments, bool withErrors) {
  ToolRun run;
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return run;
  std::vector<std::string> args = arguments;
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  if (withErrors)
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
  else
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  pid_t pid = -1;
  const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  char buffer[65536];
  for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    run.output.append(buffer, static_cast<std::size_t>(n));
  ::close(pipeEnds[0]);
  int status = 0;
  if (started && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  return run;
}

std::string rawText(const std::string& pdf, int first, int last) {
  std::vector<std::string> args = {"pdftotext", "-raw", "-enc", "UTF-8"};
  if (first > 0) args.insert(args.end(), {"-f", std::to_string(first)});
  if (last > 0) args.insert(args.end(), {"-l", std::to_string(last)});
  args.insert(args.end(), {pdf, "-"});
  return runTool(args).output;
}

std::string infoField(const std::string& pdf, const std::string& field) {
  std::istringstream lines(runTool({"pdfinfo", "-enc", "UTF-8", pdf}).output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(field + ":", 0) != 0) continue;
    const std::size_t value = line.find_first_not_of(' ', field.size() + 1);
    return value == std::string::npos ? std::string() : line.substr(value);
  }
  return {};
}

GreyImage renderPage(const std::string& pdf, int page, int dpi) {
  const std::string stem = pdf + ".page";
  runTool({"pdftoppm", "-gray", "-r", std::to_string(dpi), "-f", std::to_string(page), "-l",
           std::to_string(page), "-singlefile", pdf, stem});
  std::ifstream in(stem + ".pgm", std::ios::binary);
  GreyImage image;
  std::string magic;
  int maximum = 0;
  in >> magic >> image.width >> image.height >> maximum;
  in.get();
  if (magic != "P5" || image.width <= 0 || image.height <= 0) return {};
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  in.read(reinterpret_cast<char*>(image.pixels.data()), static_cast<std::streamsize>(image.pixels.size()));
  std::filesystem::remove(stem + ".pgm");
  return image;
}

}  // namespace zelvato::testing
