// The writer registry: every medium is reached from its command-line flag,
// asks before a run only for the settings it reads, and makes a writer that
// reads what the registry says it reads.

#include "write/registry/writer_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "convert_options.h"
#include "options/command_line.h"
#include "options/option_table.h"
#include "options/settings_check.h"
#include "recording_host.h"

namespace zelvato {
namespace {

convert::ParseResult parse(std::vector<std::string> args) {
  args.insert(args.begin(), "zelvato-convert");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return convert::parseArguments(static_cast<int>(args.size()), argv.data());
}

// What the check before a run says about one setting left empty.
enum Asked : bool { no = false, yes = true };

struct MediumCase {
  std::string_view key;
  TextStyle style;
  std::string_view remembered;  // as the window's settings files hold the choice
  Asked path, title, body, baseName;
};

TEST(WriterRegistry, everyMediumIsReachedFromItsFlagAndAsksOnlyForWhatItReads) {
  const MediumCase cases[] = {
      {writerKeys::showOnly, TextStyle::grid, "0", no, no, no, no},
      {writerKeys::showOnly, TextStyle::flow, "0", no, no, no, no},
      {writerKeys::singleFile, TextStyle::grid, "1", yes, yes, yes, no},
      // A flowing page writes no BODY tag.
      {writerKeys::singleFile, TextStyle::flow, "1", yes, yes, no, no},
      {writerKeys::pageFiles, TextStyle::grid, "2", yes, yes, yes, yes},
      {writerKeys::pageFiles, TextStyle::flow, "2", yes, yes, no, yes},
      // Nor does the book.
      {writerKeys::epub, TextStyle::grid, "3", yes, yes, no, no},
      {"pdf", TextStyle::grid, "", yes, no, no, no},
      // Plain text has no title and no markup.
      {"text", TextStyle::grid, "4", yes, no, no, no},
      // The typeset book: its title from the work or --title, never refused.
      {"book", TextStyle::grid, "5", yes, no, no, no},
  };
  std::set<std::string_view> covered;
  for (const MediumCase& c : cases) {
    SCOPED_TRACE(std::string(c.key) + (c.style == TextStyle::flow ? " flowing" : ""));
    const WriterEntry* writer = findWriter(c.key);
    ASSERT_NE(writer, nullptr);
    covered.insert(c.key);
    EXPECT_EQ(writer->remembered, c.remembered);
    if (!c.remembered.empty()) {
      EXPECT_EQ(writerRemembered(c.remembered), writer);
    }

    // The flag chooses the medium and names its file or folder.
    ConversionSettings s;
    if (!writer->flag.empty()) {
      const auto parsed = parse({"--" + std::string(writer->flag) + "=out", "in.txt"});
      ASSERT_EQ(parsed.error, "");
      s = parsed.options.settings;
      EXPECT_EQ(s.outputMode, c.key);
      EXPECT_EQ(outputPath(s, *writer), writer->destination == Destination::folder ? u"out/" : u"out");
    }
    s.outputMode = c.key;
    s.textStyle = c.style;
    s.fileBaseName = u"vt";
    ASSERT_FALSE(checkSettings(s, 10).has_value());

    // Each setting left empty: refused only where the medium reads it.
    const auto refused = [&](auto empty) {
      ConversionSettings without = s;
      empty(without);
      return Asked(checkSettings(without, 10).has_value());
    };
    EXPECT_EQ(refused([&](ConversionSettings& e) { setOutputPath(e, *writer, u""); }), c.path);
    EXPECT_EQ(refused([](ConversionSettings& e) { e.htmlTitle.clear(); }), c.title);
    EXPECT_EQ(refused([](ConversionSettings& e) { e.bodyTag.clear(); }), c.body);
    EXPECT_EQ(refused([](ConversionSettings& e) { e.fileBaseName.clear(); }), c.baseName);

    // What it reads is named by the option table, and its controls mean
    // something in the window; the book has no choice of encoding.
    for (const std::string_view key : needsOf(*writer, s).settings)
      EXPECT_NE(findOption(key), nullptr) << key;
    const std::vector<std::string_view> controls = mediumControls(*writer, s);
    const bool encodingMeans = std::find(controls.begin(), controls.end(), "optEncoding") != controls.end();
    EXPECT_EQ(encodingMeans,
              c.key != writerKeys::epub && c.key != "pdf" && c.key != "text" && c.key != "book");

    // The writer it makes reads the blocks exactly when the registry says so.
    RecordingHost host;
    const auto made = makeWriter(s, "", host);
    if (writer->make == nullptr) {
      EXPECT_EQ(made, nullptr);
      continue;
    }
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->wantsBlocks(), needsOf(*writer, s).blocks);
  }
  for (const WriterEntry& writer : writerRegistry()) EXPECT_TRUE(covered.count(writer.key)) << writer.key;
}

}  // namespace
}  // namespace zelvato
