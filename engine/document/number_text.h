#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvato {

// The program's one lenient number reader. Blanks, tabs and line feeds are
// ignored anywhere; then an optional sign, digits with at most one decimal
// point and an optional E/D exponent are read as far as they go, or "&H"/"&O"
// introduce a hexadecimal or octal integer. The first character that does not
// fit ends the number; text without a leading number reads as 0. Never fails.
double textToNumber(std::u16string_view text);

// The same reading, and whether the number took the whole text: false for a
// text without a leading number and for one with anything but ignored blanks
// after its number ("9pt", "abc", "1e", "&H").
struct NumberReading {
  double value = 0;
  bool wholeText = false;
};
NumberReading readNumber(std::u16string_view text);

// A number field as the user typed it, read once where it is given (a field
// of the window, an option of the command line) with the lenient reader. The
// typed text stays beside the value: the spacings and the font size go into
// the page as typed.
class NumberField {
 public:
  NumberField() = default;
  NumberField(std::u16string typed);
  NumberField(const char16_t* typed) : NumberField(std::u16string(typed)) {}

  const std::u16string& typed() const { return typed_; }
  double value() const { return value_; }
  // The number took the whole text, ignored blanks aside (see readNumber).
  bool wholeText() const { return wholeText_; }
  bool empty() const { return typed_.empty(); }

  bool operator==(const NumberField& other) const { return typed_ == other.typed_; }

 private:
  std::u16string typed_;
  double value_ = 0;
  bool wholeText_ = false;
};

// Nearest whole number, halves to the even neighbour (10.5 -> 10, 11.5 -> 12).
double roundHalfEven(double value);

// roundHalfEven narrowed to a 32-bit integer; nothing when it does not fit.
std::optional<std::int32_t> toWholeNumber(double value);

// The decimal digits of n without sign, left-padded with "0" to `width`.
std::u16string formatNumber(std::int64_t n, int width);

// The text left-padded with "0" to `width`; longer texts stay as they are.
std::u16string zeroPad(std::u16string_view text, int width);

// "," before every group of three characters counted from the right.
std::u16string groupThousands(std::u16string_view text);

}  // namespace zelvato
