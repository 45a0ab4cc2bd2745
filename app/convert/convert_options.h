#pragma once

#include <string>
#include <vector>

#include "document/conversion_settings.h"
#include "options/settings_check.h"

namespace zelvato::convert {

// What the command line asks for. The settings start from the main window's
// start values; every number stays the text given, read later as the window
// reads its fields.
struct ConvertOptions {
  ConversionSettings settings;
  std::string inputPath;                // one run: empty or "-" for standard input
  std::vector<std::string> inputPaths;  // every FILE given, in order
  std::string outDir;                   // not empty: each FILE into outDir/NAME.html
  std::string batchMedium;              // with outDir: the medium of every FILE (empty: HTML)
  std::string previewPath;              // empty: no preview file
  bool verbose = false;                 // also reports what the conversion left out
  bool force = false;                   // writes even an output far larger than the source
  bool showHelp = false;
  bool showVersion = false;
};

struct ParseResult {
  ConvertOptions options;
  std::string error;  // not empty when the command line cannot be used
};

// Reads the command line by the option table and the writer registry: every
// option of the table and every medium's flag is known here, and nothing else.
ParseResult parseArguments(int argc, char** argv);

std::string usageText();

// The command-line option that sets `field` ("--chars-per-line"); empty when none does
// (the file of a medium without a field of its own is named by the medium's flag).
std::string flagFor(SettingField field);

}  // namespace zelvato::convert
