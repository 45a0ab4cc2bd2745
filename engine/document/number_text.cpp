#include "document/number_text.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>

namespace zelvato {
namespace {

bool isIgnoredBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n';
}

int digitValue(char16_t c, int base) {
  int v = -1;
  if (c >= u'0' && c <= u'9')
    v = c - u'0';
  else if (c >= u'a' && c <= u'f')
    v = c - u'a' + 10;
  else if (c >= u'A' && c <= u'F')
    v = c - u'A' + 10;
  return v < base ? v : -1;
}

// "&H"/"&O" integers: a value that fits 16 bits is a 16-bit integer and one
// that fits 32 bits a 32-bit integer, both signed, as the original reader had it.
NumberReading radixNumber(std::u16string_view s, int base) {
  double value = 0;
  std::size_t used = 0;
  for (; used < s.size(); ++used) {
    const int d = digitValue(s[used], base);
    if (d < 0) break;
    value = value * base + d;
  }
  if (used == 0) return {};
  const bool whole = used == s.size();
  if (value <= 0xFFFF) return {value >= 0x8000 ? value - 65536.0 : value, whole};
  if (value <= 0xFFFFFFFFu) return {value >= 2147483648.0 ? value - 4294967296.0 : value, whole};
  return {value, whole};
}

}  // namespace

double textToNumber(std::u16string_view text) {
  return readNumber(text).value;
}

NumberReading readNumber(std::u16string_view text) {
  std::u16string s;
  s.reserve(text.size());
  for (char16_t c : text)
    if (!isIgnoredBlank(c)) s.push_back(c);

  if (s.size() >= 2 && s[0] == u'&') {
    if (s[1] == u'H' || s[1] == u'h') return radixNumber(std::u16string_view(s).substr(2), 16);
    if (s[1] == u'O' || s[1] == u'o') return radixNumber(std::u16string_view(s).substr(2), 8);
    return {};
  }

  // Copy the longest prefix that reads as a decimal number into plain ASCII,
  // with D turned into E, and let strtod do the exact conversion.
  std::string number;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) number.push_back(static_cast<char>(s[i++]));
  bool digits = false, point = false;
  for (; i < s.size(); ++i) {
    if (s[i] >= u'0' && s[i] <= u'9') {
      number.push_back(static_cast<char>(s[i]));
      digits = true;
    } else if (s[i] == u'.' && !point) {
      number.push_back('.');
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return {};
  if (i < s.size() && (s[i] == u'E' || s[i] == u'e' || s[i] == u'D' || s[i] == u'd')) {
    std::string exponent = "e";
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) exponent.push_back(static_cast<char>(s[j++]));
    bool expDigits = false;
    for (; j < s.size() && s[j] >= u'0' && s[j] <= u'9'; ++j) {
      exponent.push_back(static_cast<char>(s[j]));
      expDigits = true;
    }
    if (expDigits) {
      number += exponent;
      i = j;
    }
  }
  return {std::strtod(number.c_str(), nullptr), i == s.size()};
}

double roundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double lower = std::floor(value);
  const double fraction = value - lower;
  if (fraction > 0.5) return lower + 1;
  if (fraction < 0.5) return lower;
  return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

std::optional<std::int32_t> toWholeNumber(double value) {
  const double r = roundHalfEven(value);
  if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max()))
    return std::nullopt;
  return static_cast<std::int32_t>(r);
}

std::u16string formatNumber(std::int64_t n, int width) {
  std::uint64_t magnitude = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  return zeroPad(digits, width);
}

NumberField::NumberField(std::u16string typed) : typed_(std::move(typed)) {
  const NumberReading read = readNumber(typed_);
  value_ = read.value;
  wholeText_ = read.wholeText;
}

std::u16string zeroPad(std::u16string_view text, int width) {
  std::u16string result(text);
  if (width > 0 && result.size() < static_cast<std::size_t>(width))
    result.insert(0, static_cast<std::size_t>(width) - result.size(), u'0');
  return result;
}

std::u16string groupThousands(std::u16string_view text) {
  std::u16string result;
  long k = static_cast<long>(text.size()) - 2;
  for (long position = static_cast<long>(text.size()); position >= 1; --position) {
    result.insert(result.begin(), text[position - 1]);
    if (position == k && position != 1) {
      result.insert(result.begin(), u',');
      k -= 3;
    }
  }
  return result;
}

}  // namespace zelvato
