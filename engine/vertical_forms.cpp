#include "vertical_forms.h"

namespace zelvato {
namespace {

constexpr char16_t kanjiNumeralTable[] = {u'〇', u'一', u'二', u'三', u'四',
                                          u'五', u'六', u'七', u'八', u'九'};

}  // namespace

char16_t toVerticalForm(char16_t c, bool kanjiNumerals) {
  // Each input appears once, so the first match is the only one; the result is
  // never looked up again.
  switch (c) {
    case u'。':
      return u'゜';
    case u'、':
    case u'，':
      return u'｀';
    case u'「':
    case u'『':
      return u'┐';
    case u'」':
    case u'』':
      return u'└';
    case u'（':
    case u'《':
    case u'［':
    case u'｛':
    case u'＜':
    case u'【':
      return u'∧';
    case u'）':
    case u'》':
    case u'］':
    case u'｝':
    case u'＞':
    case u'】':
      return u'∨';
    case u'―':
      return u'｜';
    case u'｜':
      return u'―';
    case u'…':
      return u'：';
    case u'ー':
    case u'－':
    case u'～':
      return u'｜';
    case u'＝':
      return u'∥';
    case u'．':
      return u'・';
    case u'‘':
      return u'，';
    default:
      break;
  }
  if (kanjiNumerals && c >= u'０' && c <= u'９') return kanjiNumeralTable[c - u'０'];
  return c;
}

std::u16string toVerticalForm(std::u16string_view character, bool kanjiNumerals) {
  if (character.size() != 1) return std::u16string(character);
  return std::u16string(1, toVerticalForm(character.front(), kanjiNumerals));
}

char16_t unifyCodePagePair(char16_t c) {
  switch (c) {
    case u'\u301C':  // WAVE DASH
      return u'\uFF5E';
    case u'\u2014':  // EM DASH
      return u'\u2015';
    case u'\u2016':  // DOUBLE VERTICAL LINE
      return u'\u2225';
    case u'\u2212':  // MINUS SIGN
      return u'\uFF0D';
    case u'\u00A2':
      return u'\uFFE0';
    case u'\u00A3':
      return u'\uFFE1';
    case u'\u00AC':
      return u'\uFFE2';
    default:
      return c;
  }
}

char16_t toVerticalQuote(char16_t c) {
  if (c == u'\u201C') return u'\u301F';
  if (c == u'"' || c == u'\u201D') return u'\u301D';
  return c;
}

}  // namespace zelvato
