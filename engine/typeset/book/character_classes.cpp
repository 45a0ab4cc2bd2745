#include "typeset/book/character_classes.h"

#include <array>
#include <string_view>

namespace zelvato::book {
namespace {

// The characters of each class that is not a range of its own. Both dashes and
// both wave dashes are listed: a text from code page 932 brings the other forms.
struct ClassList {
  CharClass charClass;
  std::u16string_view characters;
};
constexpr ClassList lists[] = {
    {CharClass::openingBracket, u"‘“（〔［｛〈《「『【｟〘〖«〝"},
    {CharClass::closingBracket, u"’”）〕］｝〉》」』】｠〙〗»〟"},
    {CharClass::hyphen, u"‐〜～゠–"},
    {CharClass::dividingPunctuation, u"！？‼⁇⁈⁉"},
    {CharClass::middleDot, u"・：；"},
    {CharClass::fullStop, u"。．"},
    {CharClass::comma, u"、，"},
    {CharClass::inseparable, u"—―…‥〳〴〵"},
    {CharClass::iterationMark, u"ヽヾゝゞ々〻"},
    {CharClass::prolongedSound, u"ー"},
    {CharClass::smallKana,
     u"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿ"},
    {CharClass::prefixedAbbreviation, u"￥＄￡＃€№"},
    {CharClass::postfixedAbbreviation, u"°′″℃￠％‰㏋ℓ㌃㌍㌔㌘㌢㌣㌦㌧㌫㌶㌻㍉㍊㍍㍑㍗㎎㎏㎜㎝㎞㎡㏄"},
    {CharClass::ideographicSpace, u"\u3000"},
    {CharClass::westernSpace, u" \u00A0"},
};

// One byte per character of the basic plane, made once; the composer asks for
// every character of the book.
struct Table {
  std::array<CharClass, 0x10000> classes;

  Table() {
    classes.fill(CharClass::ideograph);
    for (char32_t c = 0x3041; c <= 0x309F; ++c) classes[c] = CharClass::hiragana;
    for (char32_t c = 0x30A0; c <= 0x30FF; ++c) classes[c] = CharClass::katakana;
    for (char32_t c = 0x31F0; c <= 0x31FF; ++c) classes[c] = CharClass::katakana;
    // Western letters, digits and their punctuation: a Western word.
    for (char32_t c = 0x21; c <= 0x7E; ++c) classes[c] = CharClass::latin;
    for (char32_t c = 0xA1; c <= 0x24F; ++c) classes[c] = CharClass::latin;
    for (char32_t c = 0x370; c <= 0x4FF; ++c) classes[c] = CharClass::latin;
    for (const ClassList& list : lists)
      for (const char16_t c : list.characters) classes[c] = list.charClass;
  }
};

const Table& table() {
  static const Table built;
  return built;
}

}  // namespace

CharClass charClass(char32_t c) {
  return c < 0x10000 ? table().classes[c] : CharClass::ideograph;
}

bool mayBeginLine(CharClass c, bool strict) {
  switch (c) {
    case CharClass::closingBracket:
    case CharClass::hyphen:
    case CharClass::dividingPunctuation:
    case CharClass::middleDot:
    case CharClass::fullStop:
    case CharClass::comma:
    case CharClass::iterationMark:
      return false;
    case CharClass::smallKana:
    case CharClass::prolongedSound:
      return !strict;
    default:
      return true;
  }
}

}  // namespace zelvato::book
