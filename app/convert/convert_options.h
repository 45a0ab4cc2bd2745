#pragma once

#include <optional>
#include <string>
#include <vector>

#include "conversion_settings.h"

namespace zelvato::convert {

// What the command line asks for. The settings start from the main window's
// start values; every number stays the text given, read later as the window
// reads its fields.
struct ConvertOptions {
  ConversionSettings settings;
  std::string inputPath;    // empty or "-" for standard input
  std::string previewPath;  // empty: no preview file
  bool verbose = false;     // also reports what the conversion left out
  bool showHelp = false;
  bool showVersion = false;
};

struct ParseResult {
  ConvertOptions options;
  std::string error;  // not empty when the command line cannot be used
};

ParseResult parseArguments(int argc, char** argv);

std::string usageText();

// The window's checks before a run, in its order. A message is the window's own
// warning text; where the window ends without a word, `message` is empty and
// `reason` tells the command-line user why.
struct CheckFailure {
  std::u16string message;
  std::string reason;
};
// Checks 1 to 6: the layout fields and the output settings.
std::optional<CheckFailure> checkSettings(const ConversionSettings& settings);
// Checks 7 and 8: a source text, and at least 3 characters per line and 3 lines.
std::optional<CheckFailure> checkSourceAndSize(const ConversionSettings& settings,
                                               std::u16string_view source);

}  // namespace zelvato::convert
