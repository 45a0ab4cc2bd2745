#pragma once

#include <cstdint>

namespace zelvato::book {

// The character classes of Japanese line composition: what decides the space
// between two characters, whether a line may break between them, and where a
// line may be adjusted. Numbered as the layout rules number them (cl-01 …).
enum class CharClass : std::uint8_t {
  ideograph,              // cl-19 漢字, and every character without a class of its own
  hiragana,               // cl-15
  katakana,               // cl-16
  openingBracket,         // cl-01 「『（〔［｛〈《【〘〖〝‘“
  closingBracket,         // cl-02 」』）〕］｝〉》】〙〗〟’”
  hyphen,                 // cl-03 ‐〜゠–
  dividingPunctuation,    // cl-04 ！？‼⁇⁈⁉
  middleDot,              // cl-05 ・：；
  fullStop,               // cl-06 。．
  comma,                  // cl-07 、，
  inseparable,            // cl-08 —―…‥〳〴〵
  iterationMark,          // cl-09 ヽヾゝゞ々〻
  prolongedSound,         // cl-10 ー
  smallKana,              // cl-11 ぁぃぅ…っゃゅょ ァィゥ…ッャュョヶ
  prefixedAbbreviation,   // cl-12 ￥＄￡＃€№
  postfixedAbbreviation,  // cl-13 °′″℃￠％‰
  ideographicSpace,       // cl-14 the full-width space
  latin,                  // cl-27 a Western word, set turned along the line
  westernSpace,           // cl-26 the space between Western words
  tateChuYoko,            // cl-30 digits or marks set across in one em
};

// The class of a character as it stands in the text (after widening, before
// any vertical form).
CharClass charClass(char32_t c);

// Punctuation whose glyph fills half an em, the other half being space that
// the composer adds, keeps or takes away.
inline bool isHalfWidthPunctuation(CharClass c) {
  return c == CharClass::openingBracket || c == CharClass::closingBracket || c == CharClass::middleDot ||
         c == CharClass::fullStop || c == CharClass::comma;
}

// The closing kind: closing brackets, full stops and commas, each with half an
// em of space after it.
inline bool isClosingKind(CharClass c) {
  return c == CharClass::closingBracket || c == CharClass::fullStop || c == CharClass::comma;
}

inline bool isKana(CharClass c) {
  return c == CharClass::hiragana || c == CharClass::katakana || c == CharClass::smallKana ||
         c == CharClass::prolongedSound;
}

// Whether a line may begin with a character of the class. Small kana and the
// prolonged sound mark only under the strict rules.
bool mayBeginLine(CharClass c, bool strict);
// Whether a line may end with it (an opening bracket may not).
inline bool mayEndLine(CharClass c) {
  return c != CharClass::openingBracket;
}
// Full stops and commas, which may hang below a full line.
inline bool mayHang(CharClass c) {
  return c == CharClass::fullStop || c == CharClass::comma;
}

}  // namespace zelvato::book
