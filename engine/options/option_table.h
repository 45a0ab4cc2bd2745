#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "document/conversion_settings.h"
#include "document/setting_field.h"

namespace zelvato {

// How an option's value is given, and so how the command line reads it.
enum class OptionType {
  number,  // a text the lenient number reader reads, once, where it is given
  text,    // any text, taken as UTF-8
  path,    // a file or folder name: the bytes given, whatever their encoding
  flag,    // on or off; the command line has "--X" and "--no-X"
  choice,  // one of a few words
  action,  // the converter's own switch, without a value (help, version, verbose)
};

// The part of the help where the option is listed.
enum class OptionGroup { layout, typesetting, output, book, other };

// A word a choice option takes and the value it stands for; a word with a
// refusal is known but not accepted, and the refusal says why.
struct OptionChoice {
  std::string_view word;
  int value;
  std::string_view refusal = {};
};

// One option, declared once: the command-line parser, its help, the manual
// page, the help page's table and the window's binding are all made from it
// (the media, --single and the like, are the writer registry's; see
// command_line.h for the list of both).
// An option either sets a field of the settings record (through `text`,
// `number`, `onOff` or the two choice functions) or is one of the converter's own
// (`key` names it, and the converter reads it itself). The start value is
// the record's own: a default-constructed record is a fresh window.
struct OptionEntry {
  std::string_view key;  // the record's field, or the converter's name for its own option
  OptionType type;
  OptionGroup group;
  std::string_view flag;             // "chars-per-line" for --chars-per-line
  std::string_view valueName = {};   // "N" in --chars-per-line=N
  std::string_view help = {};        // the line of --help
  std::string_view details = {};     // more for the manual page, after the help line
  std::u16string_view caption = {};  // the window's caption of the control; empty: command line only
  std::string_view control = {};     // the window control's object name
  // The name the window remembers the value under, where it is not `key`.
  std::string_view settingsKey = {};
  std::u16string ConversionSettings::*text = nullptr;
  NumberField ConversionSettings::*number = nullptr;  // read where it is given
  bool ConversionSettings::*onOff = nullptr;
  int (*choiceOf)(const ConversionSettings&) = nullptr;
  void (*setChoice)(ConversionSettings&, int) = nullptr;
  std::span<const OptionChoice> choices = {};
  std::optional<SettingField> field = std::nullopt;  // the setting the checks before a run name
  bool showStart = true;                             // "(25)" after the help line
  bool listNegation = true;                          // "--no-X" beside "--X" in the help
};

// Every option, in the order of the help.
std::span<const OptionEntry> optionTable();
// The options of the typeset book (group "Book"), declared in a file of their
// own (book_options.cpp); the option table lists them after the output options.
std::span<const OptionEntry> bookOptions();

// The option of a record field or converter switch; nullptr when none has that key.
const OptionEntry* findOption(std::string_view key);
// The option that sets `field`; nullptr when none does.
const OptionEntry* optionFor(SettingField field);

// The start value as the help shows it: the text, "on"/"off", or the choice's word.
std::string startValueText(const OptionEntry& option);

// The heading of a group in the help ("Layout").
std::string_view groupHeading(OptionGroup group);

}  // namespace zelvato
