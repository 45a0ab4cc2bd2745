#include "text/tate_chu_yoko.h"

namespace zelvato {
namespace {

bool isAsciiDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
bool isAnyDigit(char16_t c) {
  return isAsciiDigit(c) || (c >= u'０' && c <= u'９');
}
bool isMark(char16_t c) {
  return c == u'!' || c == u'?' || c == u'！' || c == u'？';
}

// True when the characters at k and k + 1 satisfy `pair` and those around
// them do not extend the run.
template <typename Pair, typename Extends>
bool exactPairAt(std::u16string_view text, std::size_t k, Pair pair, Extends extends) {
  if (k + 1 >= text.size() || !pair(text[k]) || !pair(text[k + 1])) return false;
  if (k > 0 && extends(text[k - 1])) return false;
  return k + 2 >= text.size() || !extends(text[k + 2]);
}

}  // namespace

bool startsTateChuYoko(std::u16string_view text, std::size_t k) {
  return exactPairAt(text, k, isAsciiDigit, isAnyDigit) || exactPairAt(text, k, isMark, isMark);
}

char16_t narrowMark(char16_t c) {
  if (c == u'！') return u'!';
  if (c == u'？') return u'?';
  return c;
}

}  // namespace zelvato
