#include "text/kinsoku.h"

#include <string_view>

namespace zelvato {
namespace {

// Character classes of the requirements for Japanese text layout, appendix A.
// The wave dash and the dashes are listed in both of the forms code page 932
// gives them, since a text may arrive with either.
constexpr std::u16string_view openingBrackets =
    u"‘“（〔［｛〈《「『【｟〘〖«〝〳〴";  // cl-01, くの字点's upper half
constexpr std::u16string_view closingBrackets = u"’”）〕］｝〉》」』】｠〙〗»〟";  // cl-02
constexpr std::u16string_view cannotBegin =
    u"‐〜～゠–"  // cl-03 hyphens
    u"！？‼⁇⁈⁉"  // cl-04 dividing punctuation
    u"・：；"    // cl-05 middle dots
    u"…‥"        // cl-08 leaders: never at a line's head
    u"〵";       // くの字点's lower half
constexpr std::u16string_view smallKana =
    u"ヽヾゝゞ々〻"                                          // cl-09 iteration marks
    u"ー"                                                    // cl-10 prolonged sound mark
    u"ぁぃぅぇぉァィゥェォっゃゅょゎゕゖッャュョヮヵヶ"      // cl-11 small kana
    u"ㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿ";                     // and those of Ainu
constexpr std::u16string_view stopsAndCommas = u"。．、，";  // cl-06, cl-07
constexpr std::u16string_view notSplit = u"—―";              // cl-08 dashes

using Blocks = std::array<std::array<BreakClass, 256>, 6>;
constexpr int freeBlock = 5;

// False when a character of the lists lies outside the four blocks.
constexpr bool setClass(Blocks& blocks, std::u16string_view characters, BreakClass breaking) {
  for (const char16_t c : characters) {
    const int block = kinsoku_detail::blockOf(c);
    if (block == freeBlock) return false;
    blocks[static_cast<std::size_t>(block)][c & 0xFF] = breaking;
  }
  return true;
}

constexpr Blocks buildBlocks(bool& complete) {
  Blocks blocks{};
  for (auto& block : blocks) block.fill(BreakClass::free);
  complete = setClass(blocks, notSplit, BreakClass::inseparable) &&
             setClass(blocks, openingBrackets, BreakClass::noEnd) &&
             setClass(blocks, closingBrackets, BreakClass::closing) &&
             setClass(blocks, cannotBegin, BreakClass::noBegin) &&
             setClass(blocks, smallKana, BreakClass::smallKana) &&
             setClass(blocks, stopsAndCommas, BreakClass::hangable);
  return blocks;
}

constexpr bool everyCharacterInABlock() {
  bool complete = false;
  buildBlocks(complete);
  return complete;
}
static_assert(everyCharacterInABlock(), "a classed character lies outside the table's blocks");

constexpr Blocks builtBlocks() {
  bool complete = false;
  return buildBlocks(complete);
}

constexpr std::array<std::uint8_t, 256> highBytes() {
  std::array<std::uint8_t, 256> blocks{};
  for (int high = 0; high < 256; ++high)
    blocks[static_cast<std::size_t>(high)] =
        static_cast<std::uint8_t>(kinsoku_detail::blockOf(static_cast<char16_t>(high << 8)));
  return blocks;
}

}  // namespace

namespace kinsoku_detail {
constexpr std::array<std::uint8_t, 256> blockByHighByte = highBytes();
constexpr Blocks blockClasses = builtBlocks();
}  // namespace kinsoku_detail

}  // namespace zelvato
