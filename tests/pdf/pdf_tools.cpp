#include "pdf_tools.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>
#include <utility>

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

namespace zelvato::testing {
namespace {

// The value of attribute `name` in the element that starts at `at`.
std::string_view attribute(std::string_view xml, std::size_t at, std::string_view name) {
  const std::size_t close = xml.find('>', at);
  const std::string key = " " + std::string(name) + "=\"";
  const std::size_t found = xml.find(key, at);
  if (found == std::string_view::npos || found > close) return {};
  const std::size_t start = found + key.size();
  return xml.substr(start, xml.find('"', start) - start);
}

void appendUtf16(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}

// A character as the XML writes it: an entity, a character reference or UTF-8.
std::u16string xmlCharacter(std::string_view text) {
  static const std::pair<std::string_view, char16_t> entities[] = {
      {"&amp;", u'&'}, {"&lt;", u'<'}, {"&gt;", u'>'}, {"&quot;", u'"'}, {"&apos;", u'\''}};
  for (const auto& [entity, c] : entities)
    if (text == entity) return std::u16string(1, c);
  std::u16string out;
  if (text.rfind("&#x", 0) == 0) {
    appendUtf16(out, static_cast<char32_t>(std::stoul(std::string(text.substr(3)), nullptr, 16)));
    return out;
  }
  // UTF-8.
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (int k = 1; k < length && i + k < text.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    appendUtf16(out, c);
    i += static_cast<std::size_t>(length);
  }
  return out;
}

}  // namespace

std::u16string PlacedLine::text() const {
  std::u16string text;
  for (const PlacedChar& c : chars) text += c.text;
  return text;
}

std::vector<std::vector<PlacedLine>> placedText(const std::string& pdf) {
  const std::string xml = runTool({"mutool", "draw", "-F", "stext", "-o", "-", pdf}).output;
  const std::string_view view(xml);
  std::vector<std::vector<PlacedLine>> pages;
  for (std::size_t at = view.find('<'); at != std::string_view::npos; at = view.find('<', at + 1)) {
    const std::string_view tag = view.substr(at + 1, view.find_first_of(" />", at + 1) - at - 1);
    if (tag == "page") {
      pages.emplace_back();
    } else if (tag == "line" && !pages.empty()) {
      pages.back().push_back({attribute(view, at, "wmode") == "1"});
    } else if (tag == "font" && !pages.empty() && !pages.back().empty() && pages.back().back().size == 0) {
      pages.back().back().size = std::stod(std::string(attribute(view, at, "size")));
    } else if (tag == "char" && !pages.empty() && !pages.back().empty()) {
      std::istringstream quad{std::string(attribute(view, at, "quad"))};
      double x[4], y[4];
      for (int k = 0; k < 4; ++k) quad >> x[k] >> y[k];
      PlacedChar c{xmlCharacter(attribute(view, at, "c")), *std::min_element(x, x + 4),
                   *std::min_element(y, y + 4), *std::max_element(x, x + 4), *std::max_element(y, y + 4)};
      pages.back().back().chars.push_back(std::move(c));
    }
  }
  return pages;
}

}  // namespace zelvato::testing
