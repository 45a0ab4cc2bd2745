// The converter's command line, read by the parser the option table makes.

#include "convert_options.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "options/command_line.h"
#include "options/option_table.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"

namespace zelvato::convert {
namespace {

ParseResult parse(std::vector<std::string> args) {
  args.insert(args.begin(), "zelvato-convert");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return parseArguments(static_cast<int>(args.size()), argv.data());
}

// A command line and what it must give: the error (its start), or a check of the options.
struct ParserCase {
  std::string what;
  std::vector<std::string> args;
  std::string error;
  std::function<void(const ConvertOptions&)> check;
};

// Cases made from each flag of the command line: its value given, the value
// missing, "--no-", every word of a choice and a word it does not take; a
// medium's flag chooses the medium and names its file or folder.
std::vector<ParserCase> casesFromTheTable() {
  std::vector<ParserCase> cases;
  for (const CommandLineFlag& f : commandLineFlags()) {
    const std::string flag = "--" + std::string(f.flag);
    if (const WriterEntry* w = f.writer) {
      const bool folder = w->destination == Destination::folder;
      const std::string value = folder ? "値/x" : "値 7";
      cases.push_back({flag + " chooses its medium",
                       {flag + "=" + value, "in.txt"},
                       "",
                       [w, value, folder](const ConvertOptions& r) {
                         EXPECT_EQ(r.settings.outputMode, w->key);
                         EXPECT_EQ(outputPath(r.settings, *w), utf8ToUtf16(value + (folder ? "/" : "")));
                       }});
      cases.push_back({flag + " without a value", {flag}, "option '" + flag + "' needs a value", nullptr});
      continue;
    }
    const OptionEntry& o = *f.option;
    switch (o.type) {
      case OptionType::number:
      case OptionType::text:
      case OptionType::path: {
        const std::string value = o.number != nullptr ? " 7.5" : "値 7";
        cases.push_back({flag + " sets its value",
                         {flag + "=" + value, "in.txt"},
                         "",
                         [&o, value](const ConvertOptions& r) {
                           if (o.text != nullptr) {
                             EXPECT_EQ(r.settings.*o.text, utf8ToUtf16(value));
                           } else if (o.number != nullptr) {
                             EXPECT_EQ((r.settings.*o.number).typed(), utf8ToUtf16(value));
                             EXPECT_EQ((r.settings.*o.number).value(), 7.5);
                           } else if (o.key == "preview") {
                             EXPECT_EQ(r.previewPath, value);
                           } else {
                             EXPECT_EQ(r.outDir, value);
                           }
                         }});
        cases.push_back({flag + " without a value", {flag}, "option '" + flag + "' needs a value", nullptr});
        break;
      }
      case OptionType::flag:
        cases.push_back(
            {flag + " turns it on", {"--no-" + std::string(o.flag), flag}, "", [&o](const ConvertOptions& r) {
               EXPECT_TRUE(r.settings.*o.onOff);
             }});
        cases.push_back({"--no-" + std::string(o.flag) + " turns it off",
                         {flag, "--no-" + std::string(o.flag)},
                         "",
                         [&o](const ConvertOptions& r) { EXPECT_FALSE(r.settings.*o.onOff); }});
        break;
      case OptionType::choice:
        for (const OptionChoice& c : o.choices) {
          if (!c.refusal.empty()) {
            cases.push_back(
                {flag + "=" + std::string(c.word) + " is refused with its reason",
                 {flag + "=" + std::string(c.word)},
                 flag + "=" + std::string(c.word) + " is not available: " + std::string(c.refusal),
                 nullptr});
            continue;
          }
          cases.push_back(
              {flag + "=" + std::string(c.word),
               {flag + "=" + std::string(c.word)},
               "",
               [&o, &c](const ConvertOptions& r) { EXPECT_EQ(o.choiceOf(r.settings), c.value); }});
        }
        cases.push_back(
            {flag + " with a word it does not know", {flag + "=latin1"}, flag + " must be ", nullptr});
        break;
      case OptionType::action:
        cases.push_back({flag, {flag}, "", [&o](const ConvertOptions& r) {
                           EXPECT_TRUE(o.key == "verbose"      ? r.verbose
                                       : o.key == "help"       ? r.showHelp
                                       : o.key == "force"      ? r.force
                                       : o.key == "manuscript" ? r.settings.kinsoku
                                                               : r.showVersion);
                         }});
        break;
    }
  }
  return cases;
}

TEST(ConvertOptions, everyOptionOfTheTableIsReadFromTheCommandLine) {
  for (const ParserCase& c : casesFromTheTable()) {
    SCOPED_TRACE(c.what);
    const ParseResult r = parse(c.args);
    EXPECT_EQ(r.error.substr(0, c.error.size()), c.error);
    if (c.error.empty()) {
      EXPECT_EQ(r.error, "");
    }
    if (c.check && r.error.empty()) c.check(r.options);
  }
}

// What the table's declarations mean for a user, written out by hand.
TEST(ConvertOptions, theCommandLineReachesTheRecordsFieldsAndRefusesWhatItCannotUse) {
  const ParserCase cases[] = {
      {"numbers stay the text given",
       {"--chars-per-line= 12 ", "--char-spacing=&H0C"},
       "",
       [](const ConvertOptions& r) {
         EXPECT_EQ(r.settings.charsPerLine, u" 12 ");
         EXPECT_EQ(r.settings.charSpacingPt, u"&H0C");
       }},
      {"--pages chooses page files and ends the folder with a separator",
       {"--pages=out", "--base-name=vt"},
       "",
       [](const ConvertOptions& r) {
         EXPECT_EQ(r.settings.outputMode, writerKeys::pageFiles);
         EXPECT_EQ(r.settings.outputFolder, u"out/");
         EXPECT_EQ(r.settings.fileBaseName, u"vt");
       }},
      {"file names keep bytes that are not UTF-8",
       {"--single=\xff.html"},
       "",
       [](const ConvertOptions& r) { EXPECT_EQ(textToPath(r.settings.singleFilePath), "\xff.html"); }},
      {"no option leaves the window's start values",
       {"in.txt"},
       "",
       [](const ConvertOptions& r) {
         EXPECT_EQ(r.settings.outputMode, writerKeys::showOnly);
         EXPECT_EQ(r.settings.charsPerLine, u"25");
         EXPECT_TRUE(r.settings.kanjiNumerals);
         EXPECT_EQ(r.inputPath, "in.txt");
       }},
      {"--encoding=utf-8",
       {"--encoding=utf-8"},
       "",
       [](const ConvertOptions& r) { EXPECT_EQ(r.settings.outputEncoding, OutputEncoding::utf8); }},
      {"--ruby=drop",
       {"--ruby=drop"},
       "",
       [](const ConvertOptions& r) { EXPECT_EQ(r.settings.rubyMode, RubyMode::drop); }},
      {"many files into a folder",
       {"--out-dir=out", "a.txt", "b.txt"},
       "",
       [](const ConvertOptions& r) {
         EXPECT_EQ(r.outDir, "out");
         EXPECT_EQ(r.inputPaths, (std::vector<std::string>{"a.txt", "b.txt"}));
       }},
      {"a medium without its file for every file of a folder",
       {"--epub", "--out-dir=out", "a.txt"},
       "",
       [](const ConvertOptions& r) {
         EXPECT_EQ(r.batchMedium, "epub");
         EXPECT_EQ(r.inputPaths, (std::vector<std::string>{"a.txt"}));
       }},
      {"a medium with its file beside --out-dir",
       {"--out-dir=out", "--pdf=x.pdf", "a.txt"},
       "only one of",
       nullptr},
      {"page files have no form for many files",
       {"--out-dir=out", "a.txt", "--pages"},
       "option '--pages' needs a value",
       nullptr},
      {"an unknown option", {"--frobnicate"}, "unknown option '--frobnicate'", nullptr},
      {"two outputs",
       {"--single=a", "--pages=b"},
       "only one of --single, --pages, --epub, --pdf, --text, --book and --out-dir",
       nullptr},
      {"a single file and a folder of outputs", {"--single=a", "--out-dir=b", "x"}, "only one of", nullptr},
      {"two files without --out-dir", {"a.txt", "b.txt"}, "only one input file", nullptr},
      {"--out-dir without a file", {"--out-dir=out"}, "--out-dir needs at least one FILE", nullptr},
      {"--out-dir empty", {"--out-dir=", "a.txt"}, "the value of --out-dir is empty", nullptr},
      {"--out-dir and standard input", {"--out-dir=out", "a.txt", "-"}, "--out-dir converts files", nullptr},
      {"--out-dir and a preview",
       {"--out-dir=out", "--preview=p.html", "a.txt"},
       "--preview cannot be used",
       nullptr},
  };
  for (const ParserCase& c : cases) {
    SCOPED_TRACE(c.what);
    const ParseResult r = parse(c.args);
    EXPECT_EQ(r.error.substr(0, c.error.size()), c.error);
    if (c.error.empty()) {
      EXPECT_EQ(r.error, "");
    }
    if (c.check && r.error.empty()) c.check(r.options);
  }
}

TEST(ConvertOptions, theHelpNamesEveryOptionOnceAndTheWindowsControlsOnce) {
  const std::string help = usageText();
  std::set<std::string_view> flags, controls;
  std::set<std::u16string_view> captions;
  for (const CommandLineFlag& f : commandLineFlags()) {
    SCOPED_TRACE(std::string(f.flag));
    EXPECT_NE(help.find("  --" + std::string(f.flag)), std::string::npos);
    EXPECT_TRUE(flags.insert(f.flag).second);
    if (!f.caption.empty()) {
      EXPECT_TRUE(captions.insert(f.caption).second);
    }
    if (f.writer != nullptr) continue;
    const OptionEntry& o = *f.option;
    if (!o.control.empty()) {
      EXPECT_TRUE(controls.insert(o.control).second);
    }
    // An option of the record has a window control, and the converter's own have none.
    const bool setsRecord =
        o.text != nullptr || o.number != nullptr || o.onOff != nullptr || o.choiceOf != nullptr;
    EXPECT_TRUE(o.control.empty() || setsRecord);
  }
  // The media's path fields are controls of their own.
  for (const WriterEntry& w : writerRegistry()) {
    if (!w.pathControl.empty()) {
      EXPECT_TRUE(controls.insert(w.pathControl).second) << w.key;
    }
  }
  // Every setting the checks can name has its option, so a refusal can name it;
  // the file of a medium without a field of its own is named by its medium's flag.
  for (int f = 0; f < static_cast<int>(SettingField::source); ++f) {
    if (static_cast<SettingField>(f) != SettingField::outputPath) {
      EXPECT_FALSE(flagFor(static_cast<SettingField>(f)).empty()) << f;
    }
  }
}

}  // namespace
}  // namespace zelvato::convert
