#include "typeset/book/class_spacing.h"

namespace zelvato::book {
namespace {

constexpr float halfEm = 0.5F;
constexpr float quarterEm = 0.25F;
constexpr float eighthEm = 0.125F;

float spaceBefore(CharClass c) {
  if (c == CharClass::openingBracket) return halfEm;
  if (c == CharClass::middleDot) return quarterEm;
  return 0;
}

float spaceAfter(CharClass c) {
  if (isClosingKind(c)) return halfEm;
  if (c == CharClass::middleDot) return quarterEm;
  return 0;
}

bool isJapaneseText(CharClass c) {
  switch (c) {
    case CharClass::ideograph:
    case CharClass::hiragana:
    case CharClass::katakana:
    case CharClass::iterationMark:
    case CharClass::prolongedSound:
    case CharClass::smallKana:
    case CharClass::tateChuYoko:
      return true;
    default:
      return false;
  }
}

// Space may be added between two characters unless it would open a bracket
// away from what it encloses, part a pair that is read as one (—— ……), or
// come between a character and the punctuation that closes onto it.
bool allowsLetterSpacing(CharClass before, CharClass after) {
  if (before == CharClass::openingBracket) return false;
  if (isClosingKind(after) || after == CharClass::middleDot) return false;
  if (before == CharClass::inseparable && after == CharClass::inseparable) return false;
  if (before == CharClass::prefixedAbbreviation || after == CharClass::postfixedAbbreviation) return false;
  return before != CharClass::westernSpace && after != CharClass::westernSpace;
}

}  // namespace

Gap gapBetween(CharClass before, CharClass after) {
  Gap gap;
  gap.letterSpacing = allowsLetterSpacing(before, after);
  // Japanese text beside a Western word: a quarter em, down to an eighth.
  const bool westernBefore = before == CharClass::latin, westernAfter = after == CharClass::latin;
  if ((westernBefore && isJapaneseText(after)) || (westernAfter && isJapaneseText(before))) {
    gap.natural = quarterEm;
    gap.shrink = eighthEm;
    gap.squeeze = Squeeze::western;
    gap.western = true;
    return gap;
  }
  float after1 = spaceAfter(before);
  float before2 = spaceBefore(after);
  // Closing punctuation in a row (。」 」」 」、) stands solid: the space goes after the last.
  if (isClosingKind(before) && isClosingKind(after)) after1 = 0;
  // So do opening brackets in a row (「『).
  if (before == CharClass::openingBracket && after == CharClass::openingBracket) before2 = 0;
  if (after1 == 0 && before2 == 0) return gap;
  const bool middleDot = before == CharClass::middleDot || after == CharClass::middleDot;
  if (before == CharClass::middleDot && after == CharClass::middleDot) {
    gap.natural = after1 + before2;  // ・・ keep a quarter each
  } else if (middleDot && after1 > 0 && before2 > 0) {
    gap.natural = quarterEm;  // a middle dot beside a bracket: the dot's quarter only
  } else {
    gap.natural = after1 > before2 ? after1 : before2;  // 」「 、「 。「: one half em
  }
  if (before == CharClass::fullStop) {
    gap.shrink = 0;  // the half em after a full stop stays
  } else {
    gap.shrink = gap.natural;
    gap.squeeze = middleDot ? Squeeze::middleDot : Squeeze::punctuation;
  }
  return gap;
}

float bodyAdvance(CharClass c) {
  return isHalfWidthPunctuation(c) ? halfEm : 1.0F;
}

float bodyOffset(CharClass c) {
  if (c == CharClass::openingBracket) return halfEm;
  if (c == CharClass::middleDot) return quarterEm;
  return 0;
}

float lineEndSpace(CharClass c) {
  return spaceAfter(c);
}

}  // namespace zelvato::book
