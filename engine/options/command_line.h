#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "options/option_table.h"
#include "write/registry/writer_registry.h"

namespace zelvato {

// One flag of the converter's command line: an option of the option table, or
// a medium of the writer registry (--single=FILE chooses the medium and names
// its file). The parser, --help, the manual page's option list and the help
// page's option table are all made from this one list.
struct CommandLineFlag {
  const OptionEntry* option = nullptr;  // one of the two
  const WriterEntry* writer = nullptr;
  OptionGroup group = OptionGroup::output;
  std::string_view flag;
  std::string_view valueName;
  std::string_view help;
  std::string_view details;
  std::u16string_view caption;  // the window's item for it; empty: the command line's only
  bool negatable = false;       // "--no-X" turns it off
  bool listNegation = false;    // and the help shows "--no-X"
  bool showStart = false;       // the help shows the start value
};

// Every flag, in the order of the help: the option table's, with the media
// first in the output group.
const std::vector<CommandLineFlag>& commandLineFlags();

// The start value as the help shows it: the text, "on"/"off", or the choice's
// word; empty for a medium.
std::string startValueText(const CommandLineFlag& flag);

// The window's controls that mean something for the medium with these
// settings: its path field and the controls of the output settings it reads
// (the encoding means nothing for the book, which is always UTF-8).
std::vector<std::string_view> mediumControls(const WriterEntry& writer, const ConversionSettings& settings);

// "--single, --pages, --epub, --pdf" and `last`: every medium's flag, for the
// help and the refusal of two outputs at once.
std::string mediaFlags(std::string_view conjunction, std::string_view last);

}  // namespace zelvato
