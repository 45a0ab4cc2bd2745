#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace zelvato {

// zelvato-convert run as a user runs it, in a folder of its own.

inline std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline const std::string sampleCp932 = std::string(ZELVATO_TEST_DATA_DIR) + "/convert/snow_morning_cp932.txt";
inline const std::string sampleUtf8 =
    std::string(ZELVATO_TEST_DATA_DIR) + "/convert/snow_morning_utf8_bom.txt";

inline std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct Result {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the converter in `folder` with the arguments, standard input from `input`.
inline Result runConvert(const TempFolder& folder, const std::vector<std::string>& args,
                         const std::string& input = "/dev/null") {
  std::string command = "cd " + quoted(folder.path()) + " && " + quoted(ZELVATO_CONVERT_PATH);
  for (const auto& arg : args) command += " " + quoted(arg);
  command +=
      " < " + quoted(input) + " > " + quoted(folder.file("stdout")) + " 2> " + quoted(folder.file("stderr"));
  const int status = std::system(command.c_str());
  Result r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = bytesOf(folder.file("stdout"));
  r.err = bytesOf(folder.file("stderr"));
  return r;
}

}  // namespace zelvato
