#include "text/widening.h"

namespace zelvato {
namespace {

// Full-width forms of U+FF61 to U+FF9F, in code order.
constexpr char16_t halfWidthKatakanaWide[] = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ',
    u'ョ', u'ッ', u'ー', u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ',
    u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ',
    u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ', u'ム', u'メ', u'モ', u'ヤ',
    u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン', u'゛', u'゜',
};
static_assert(sizeof(halfWidthKatakanaWide) / sizeof(char16_t) == 0xFF9F - 0xFF61 + 1);

}  // namespace

char16_t widenCharacter(char16_t c) {
  switch (c) {
    case u' ':
      return u'\u3000';
    case u'"':
      return u'\u201D';
    case u'\'':
      return u'\u2019';
    case u'`':
      return u'\u2018';
    case u'\\':
      return u'\uFFE5';
    default:
      break;
  }
  if (c >= 0x21 && c <= 0x7E) return static_cast<char16_t>(c - 0x21 + 0xFF01);
  if (c >= 0xFF61 && c <= 0xFF9F) return halfWidthKatakanaWide[c - 0xFF61];
  return c;
}

char16_t composeVoicedKana(char16_t wide, char16_t mark) {
  if (mark == u'\uFF9E') {
    if (wide == u'ウ') return u'ヴ';
    if ((wide >= u'カ' && wide <= u'チ' && (wide - u'カ') % 2 == 0) || wide == u'ツ' || wide == u'テ' ||
        wide == u'ト')
      return static_cast<char16_t>(wide + 1);
    if (wide >= u'ハ' && wide <= u'ホ' && (wide - u'ハ') % 3 == 0) return static_cast<char16_t>(wide + 1);
  } else if (mark == u'\uFF9F') {
    if (wide >= u'ハ' && wide <= u'ホ' && (wide - u'ハ') % 3 == 0) return static_cast<char16_t>(wide + 2);
  }
  return 0;
}

}  // namespace zelvato
