#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "document/conversion_settings.h"
#include "document/setting_field.h"

namespace zelvato {

// The checks before a run, in the order the run makes them.
enum class SettingsCheck {
  layoutFieldEmpty,
  notANumber,      // a spacing or the font size, written into the page, that is no number as read
  numberTooLarge,  // a number field whose value overflows (1e400)
  singleFilePathEmpty,
  outputFolderEmpty,
  fileBaseNameEmpty,
  fileBaseNameSeparator,  // the base name names a file in the output folder and the page links' path:
  fileBaseNameParent,     // no folder separator, no "..", no control character,
  fileBaseNameControl,    // no leading URL scheme ("javascript:")
  fileBaseNameScheme,
  htmlTitleEmpty,
  bodyTagEmpty,
  sourceEmpty,
  gridTooSmall,
  gridTooLarge,  // more cells than a grid can hold (the hanging row counted), or a side that is
                 // no 32-bit whole number
  bookUnfit,     // the book's text block does not fit its page, or a value of its format is out of range
};

// The first check that failed: the field it is about, and either the warning
// the window shows (with the warning icon) or, where the window ends without a
// word, an empty warning and an explanation for the command-line user.
struct SettingsProblem {
  SettingsCheck check;
  SettingField field;
  std::u16string_view warning;
  std::string_view explanation;
};

// Runs the checks before a conversion in their order and returns the first that
// fails; nothing when the run may start. Without a source length the checks of
// the source and of the grid size are left for a second call once the source
// is known. "Empty" means no characters at all: a blank is content.
std::optional<SettingsProblem> checkSettings(const ConversionSettings& settings,
                                             std::optional<std::size_t> sourceLength);

// The size of a run's output file, estimated from the grid and the source
// before anything is written: every vertical line the source fills (a line
// break ends one, a tab takes its full-width spaces) written as rows of cells,
// block by block. Large grids, long tabs and many line breaks can make it far
// larger than the source.
struct OutputEstimate {
  std::uint64_t outputBytes = 0;
  std::uint64_t sourceBytes = 0;  // the source as code page 932 would hold it
  // Over amplificationLimit times the source and over amplificationFloor bytes:
  // the run asks before it writes.
  bool excessive = false;
};
inline constexpr std::uint64_t amplificationLimit = 100;
inline constexpr std::uint64_t amplificationFloor = std::uint64_t{256} << 20;

// For settings that passed checkSettings.
OutputEstimate estimateOutput(const ConversionSettings& settings, std::u16string_view source);

}  // namespace zelvato
