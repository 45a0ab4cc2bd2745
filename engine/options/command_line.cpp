#include "options/command_line.h"

namespace zelvato {
namespace {

CommandLineFlag fromOption(const OptionEntry& o) {
  CommandLineFlag f;
  f.option = &o;
  f.group = o.group;
  f.flag = o.flag;
  f.valueName = o.valueName;
  f.help = o.help;
  f.details = o.details;
  f.caption = o.caption;
  f.negatable = o.type == OptionType::flag;
  f.listNegation = f.negatable && o.listNegation;
  f.showStart = o.showStart;
  return f;
}

CommandLineFlag fromWriter(const WriterEntry& w) {
  CommandLineFlag f;
  f.writer = &w;
  f.group = OptionGroup::output;
  f.flag = w.flag;
  f.valueName = w.valueName;
  f.help = w.help;
  f.details = w.details;
  // The window offers the medium as a choice of its output page, or writes it by a command.
  f.caption = w.choiceCaption;
  return f;
}

}  // namespace

const std::vector<CommandLineFlag>& commandLineFlags() {
  static const std::vector<CommandLineFlag> flags = [] {
    std::vector<CommandLineFlag> made;
    bool mediaListed = false;
    for (const OptionEntry& o : optionTable()) {
      if (o.group == OptionGroup::output && !mediaListed) {
        for (const WriterEntry& w : writerRegistry())
          if (!w.flag.empty()) made.push_back(fromWriter(w));
        mediaListed = true;
      }
      made.push_back(fromOption(o));
    }
    return made;
  }();
  return flags;
}

std::string startValueText(const CommandLineFlag& flag) {
  return flag.option != nullptr ? startValueText(*flag.option) : std::string();
}

std::vector<std::string_view> mediumControls(const WriterEntry& writer, const ConversionSettings& settings) {
  std::vector<std::string_view> controls;
  if (!writer.pathControl.empty()) controls.push_back(writer.pathControl);
  for (const std::string_view key : needsOf(writer, settings).settings)
    if (const OptionEntry* option = findOption(key); option != nullptr && !option->control.empty())
      controls.push_back(option->control);
  return controls;
}

std::string mediaFlags(std::string_view conjunction, std::string_view last) {
  std::string list;
  for (const WriterEntry& w : writerRegistry()) {
    if (w.flag.empty()) continue;
    if (!list.empty()) list += ", ";
    list += "--" + std::string(w.flag);
  }
  return list + " " + std::string(conjunction) + " " + std::string(last);
}

}  // namespace zelvato
