#include "convert_options.h"

#include <getopt.h>

#include <vector>

#include "options/command_line.h"
#include "options/option_table.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"

namespace zelvato::convert {
namespace {

// getopt_long's table, made from the command line's flags: flag i is value
// firstValue + 2 i, its "--no-" form the next value; far from the characters
// getopt_long returns for its own findings.
constexpr int firstValue = 1000;
// With --out-dir a medium's flag may stand without its file: every input
// then gets a file of that medium in the folder.
struct LongOptions {
  std::vector<std::string> names;
  std::vector<option> table;
  explicit LongOptions(bool batch) {
    const auto& flags = commandLineFlags();
    names.reserve(2 * flags.size());
    for (const CommandLineFlag& f : flags) {
      names.emplace_back(f.flag);
      if (f.negatable) names.push_back("no-" + std::string(f.flag));
    }
    std::size_t name = 0;
    for (std::size_t i = 0; i < flags.size(); ++i) {
      const int value = firstValue + 2 * static_cast<int>(i);
      const bool takesValue = !flags[i].valueName.empty();
      const bool mayStandAlone =
          batch && flags[i].writer != nullptr && flags[i].writer->destination == Destination::file;
      table.push_back({names[name++].c_str(),
                       mayStandAlone ? optional_argument
                       : takesValue  ? required_argument
                                     : no_argument,
                       nullptr, value});
      if (flags[i].negatable) table.push_back({names[name++].c_str(), no_argument, nullptr, value + 1});
    }
    table.push_back({nullptr, 0, nullptr, 0});
  }
};

std::string choiceWords(const OptionEntry& o) {
  std::string words;
  for (const OptionChoice& c : o.choices) {
    if (!c.refusal.empty()) continue;
    if (!words.empty()) words += " or ";
    words += c.word;
  }
  return words;
}

// Sets what a value option of the record asks for; the error when the value is refused.
std::string setValue(const OptionEntry& o, const char* given, ConversionSettings& s) {
  const std::string flag = "--" + std::string(o.flag);
  switch (o.type) {
    case OptionType::number:
      s.*o.number = NumberField(utf8ToUtf16(given));
      break;
    case OptionType::text:
      s.*o.text = utf8ToUtf16(given);
      break;
    case OptionType::path:
      // File names stay the bytes given.
      s.*o.text = pathToText(given);
      break;
    case OptionType::choice: {
      for (const OptionChoice& c : o.choices) {
        if (c.word != given) continue;
        if (!c.refusal.empty()) return flag + "=" + given + " is not available: " + std::string(c.refusal);
        o.setChoice(s, c.value);
        return {};
      }
      return flag + " must be " + choiceWords(o) + ", not '" + given + "'";
    }
    case OptionType::flag:
    case OptionType::action:
      break;
  }
  return {};
}

// Chooses the medium and names its file or folder.
void chooseMedium(const WriterEntry& w, const char* given, ConversionSettings& s) {
  // File names stay the bytes given.
  std::u16string path = pathToText(given);
  // The page file name follows the folder directly, so it must end with a separator.
  if (w.destination == Destination::folder && !path.empty() && path.back() != u'/') path += u'/';
  s.outputMode = std::string(w.key);
  setOutputPath(s, w, std::move(path));
}

}  // namespace

std::string usageText() {
  std::string text =
      "Usage: zelvato-convert [OPTION]... [FILE]\n"
      "  or:  zelvato-convert [OPTION]... --out-dir=DIR FILE...\n"
      "Turns Japanese text into HTML that reads as vertical writing.\n"
      "FILE is code page 932, UTF-8, or UTF-16/UTF-32 text with byte-order mark;\n"
      "without FILE, or when FILE is -, standard input is read.\n"
      "Without " +
      mediaFlags("or", "--out-dir") + " the markup goes to standard output in UTF-8.\n";
  constexpr std::size_t helpColumn = 25;
  std::optional<OptionGroup> group;
  for (const CommandLineFlag& f : commandLineFlags()) {
    if (f.group != group) {
      group = f.group;
      text += "\n" + std::string(groupHeading(f.group)) + ":\n";
    }
    std::string label = "  --" + std::string(f.flag);
    if (!f.valueName.empty()) label += "=" + std::string(f.valueName);
    if (f.listNegation) label += ", --no-" + std::string(f.flag);
    text += label;
    text += label.size() < helpColumn - 1 ? std::string(helpColumn - label.size(), ' ')
                                          : "\n" + std::string(helpColumn, ' ');
    text += f.help;
    if (f.showStart) text += " (" + startValueText(f) + ")";
    text += '\n';
  }
  return text +
         "\n"
         "Numbers are read as the window reads its fields.\n"
         "Exit status: 0 when converted, 1 when the conversion failed (with --out-dir:\n"
         "when any file failed), 2 when a setting, the input or the command line was\n"
         "not usable, 128 + the signal's number when stopped by a signal (130 for\n"
         "SIGINT, 143 for SIGTERM). Output files are replaced only when the whole\n"
         "conversion succeeded.\n";
}

ParseResult parseArguments(int argc, char** argv) {
  bool batch = false;
  for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i)
    batch = batch || std::string_view(argv[i]).starts_with("--out-dir");
  static const LongOptions singleRun(false), manyFiles(true);
  const LongOptions& longOptions = batch ? manyFiles : singleRun;
  const auto& flags = commandLineFlags();
  ParseResult result;
  ConvertOptions& options = result.options;
  ConversionSettings& s = options.settings;
  int outputsGiven = 0;
  opterr = 0;
  optind = 0;  // reset for repeated calls; 0 also makes glibc re-initialise
  for (;;) {
    int index = 0;
    const int c = getopt_long(argc, argv, ":", longOptions.table.data(), &index);
    if (c == -1) break;
    if (c == ':') {
      result.error = std::string("option '") + argv[optind - 1] + "' needs a value";
      return result;
    }
    if (c < firstValue || c >= firstValue + 2 * static_cast<int>(flags.size())) {
      result.error = std::string("unknown option '") + argv[optind - 1] + "'";
      return result;
    }
    const CommandLineFlag& f = flags[static_cast<std::size_t>((c - firstValue) / 2)];
    if (f.writer != nullptr && optarg == nullptr && f.writer->destination == Destination::file) {
      options.batchMedium = std::string(f.writer->key);
      continue;
    }
    if (f.writer != nullptr) {
      chooseMedium(*f.writer, optarg, s);
      ++outputsGiven;
      continue;
    }
    const OptionEntry& o = *f.option;
    if (o.type == OptionType::flag) {
      s.*o.onOff = (c - firstValue) % 2 == 0;
    } else if (o.key == "verbose") {
      options.verbose = true;
    } else if (o.key == "help") {
      options.showHelp = true;
    } else if (o.key == "version") {
      options.showVersion = true;
    } else if (o.key == "manuscript") {
      s.charsPerLine = u"20";
      s.linesPerColumn = u"20";
      s.kinsoku = true;
    } else if (o.key == "force") {
      options.force = true;
      s.forcePictures = true;
    } else if (o.key == "preview") {
      options.previewPath = optarg;
    } else if (o.key == "outDir") {
      options.outDir = optarg;
      if (options.outDir.empty()) {
        result.error = "the value of --out-dir is empty";
        return result;
      }
      ++outputsGiven;
    } else {
      result.error = setValue(o, optarg, s);
      if (!result.error.empty()) return result;
    }
  }
  if (outputsGiven > 1) {
    result.error = "only one of " + mediaFlags("and", "--out-dir") + " can be given";
    return result;
  }
  for (int i = optind; i < argc; ++i) options.inputPaths.emplace_back(argv[i]);
  if (options.outDir.empty()) {
    if (options.inputPaths.size() > 1) {
      result.error = "only one input file can be converted at a time without --out-dir";
      return result;
    }
    if (!options.inputPaths.empty()) options.inputPath = options.inputPaths.front();
    return result;
  }
  if (options.inputPaths.empty()) {
    result.error = "--out-dir needs at least one FILE";
    return result;
  }
  if (!options.previewPath.empty()) {
    result.error = "--preview cannot be used with --out-dir";
    return result;
  }
  for (const std::string& path : options.inputPaths) {
    if (path == "-") {
      result.error = "--out-dir converts files: standard input (-) cannot be one of them";
      return result;
    }
  }
  return result;
}

std::string flagFor(SettingField field) {
  if (const OptionEntry* o = zelvato::optionFor(field)) return "--" + std::string(o->flag);
  for (const WriterEntry& w : writerRegistry())
    if (w.pathField != nullptr && w.pathSetting == field) return "--" + std::string(w.flag);
  return {};
}

}  // namespace zelvato::convert
