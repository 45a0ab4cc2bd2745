#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "typeset/book/class_spacing.h"

namespace zelvato::book {

// How a character or a run of characters stands in a vertical line.
enum class Setting : std::uint8_t {
  upright,  // in its vertical form
  across,   // 縦中横: across the line in one em
  rotated,  // a Western word turned a quarter clockwise, reading downwards
  blank,    // a space between Western words: text without a glyph
};

// The widths the composer cannot know by itself: text set across the line or
// turned along it, as the face sets it.
class GlyphMetrics {
 public:
  virtual ~GlyphMetrics() = default;
  // The advance of `text` set horizontally, in ems.
  virtual double acrossAdvance(std::u16string_view text) const = 0;
};

// Widths of a typical proportional Western face, for a layout made without a
// face: half an em for digits, about that for letters.
class EstimatedMetrics final : public GlyphMetrics {
 public:
  double acrossAdvance(std::u16string_view text) const override;
};

// How neighbouring rubies over single kanji are taken.
enum class RubyGrouping : std::uint8_t {
  jukugo,  // kanji in a row, each with its own ruby, are one word: a ruby longer than its kanji keeps the
           // word together
  mono,    // each kanji's ruby alone
};

struct ItemizeOptions {
  bool uprightLatin = false;     // Western letters upright one by one instead of turned
  int tateChuYokoDigits = 3;     // numbers of two up to this many digits are set across (below 2: none)
  bool tateChuYokoMarks = true;  // !! !? ?! ?? across
  bool ruby = true;              // ruby beside its base (false: left out)
  RubyGrouping rubyGrouping = RubyGrouping::jukugo;
  bool editorNotes = false;  // the editor's notes in parentheses
  float rubyScale = 0.5F;    // the ruby's size against the text's
};

// One unit of a line: a character, a number set across, a Western word or a
// space. Lengths are in ems of the text's size.
struct Item {
  std::uint32_t first = 0;  // its first code unit in the paragraph's text
  std::uint16_t length = 1;
  CharClass charClass = CharClass::ideograph;
  Setting setting = Setting::upright;
  bool joinsNext = false;   // no line ends between it and the next item
  std::uint16_t marks = 0;  // its marks, in the paragraph's list (0: none)
  std::int32_t ruby = -1;   // its ruby group, -1 for none
  float scale = 1;          // its size against the text's
  float advance = 1;        // the visible part along the line
  float lead = 0;           // space before it that its ruby needs
  float trail = 0;          // and after it
  Gap gap;                  // the space between the item before it and this one
};

// A ruby over the items [firstItem, endItem).
struct RubyGroup {
  std::uint32_t firstItem = 0;
  std::uint32_t endItem = 0;
  std::uint32_t rubyFirst = 0;  // its text in the paragraph's ruby text
  std::uint32_t rubyLength = 0;
  std::uint16_t rubyCharacters = 0;
  bool mono = true;  // over one character (else spread over its base as a group)
  Side side = Side::right;
  // How far the ruby reaches over the item before and after its base (kana
  // only), in ems; at the ends of a line it reaches over nothing.
  float overhangBefore = 0;
  float overhangAfter = 0;
};

struct ItemizedParagraph {
  std::u16string text;
  std::u16string rubyText;
  std::vector<Item> items;
  std::vector<RubyGroup> rubies;
  std::vector<RunMarks> marks{RunMarks{}};
  float rubyScale = 0.5F;
};

// The paragraph's runs as items: each character in its class, half-width kana
// widened (with its voiced mark in one), numbers of two or three digits and
// !? pairs set across, Western words turned (or upright, by option), the
// spaces between the items after their classes; each ruby over the items of
// its base (the room it needs is fitRuby's). Sizes are multiplied by `scale`
// (a heading's larger text).
ItemizedParagraph itemizeParagraph(const Paragraph& paragraph, const ItemizeOptions& options,
                                   const GlyphMetrics& metrics, float scale = 1);

}  // namespace zelvato::book
