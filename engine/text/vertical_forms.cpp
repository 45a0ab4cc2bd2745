#include "text/vertical_forms.h"

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
    case u'〳':  // くの字点: its upper half, and its lower half in the next cell
    case u'〴':
      return u'／';
    case u'〵':
      return u'＼';
    default:
      break;
  }
  if (kanjiNumerals && c >= u'０' && c <= u'９') return kanjiNumeralTable[c - u'０'];
  return c;
}

char16_t toVerticalPresentationForm(char16_t c) {
  switch (c) {
    case u'，':
      return u'\uFE10';
    case u'、':
      return u'\uFE11';
    case u'。':
      return u'\uFE12';
    case u'：':
      return u'\uFE13';
    case u'；':
      return u'\uFE14';
    case u'！':
      return u'\uFE15';
    case u'？':
      return u'\uFE16';
    case u'〖':
      return u'\uFE17';
    case u'〗':
      return u'\uFE18';
    case u'…':
      return u'\uFE19';
    case u'‥':
      return u'\uFE30';
    case u'―':
      return u'\uFE31';
    case u'（':
      return u'\uFE35';
    case u'）':
      return u'\uFE36';
    case u'｛':
      return u'\uFE37';
    case u'｝':
      return u'\uFE38';
    case u'〔':
      return u'\uFE39';
    case u'〕':
      return u'\uFE3A';
    case u'【':
      return u'\uFE3B';
    case u'】':
      return u'\uFE3C';
    case u'《':
      return u'\uFE3D';
    case u'》':
      return u'\uFE3E';
    case u'〈':
    case u'＜':
      return u'\uFE3F';
    case u'〉':
    case u'＞':
      return u'\uFE40';
    case u'「':
      return u'\uFE41';
    case u'」':
      return u'\uFE42';
    case u'『':
      return u'\uFE43';
    case u'』':
      return u'\uFE44';
    case u'［':
      return u'\uFE47';
    case u'］':
      return u'\uFE48';
    default:
      return 0;
  }
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
