#include "typeset/book/ruby_layout.h"

#include <algorithm>

namespace zelvato::book {
namespace {

constexpr float tolerance = 1e-4F;

float baseAdvance(const ItemizedParagraph& paragraph, const RubyGroup& group) {
  float advance = 0;
  for (std::uint32_t k = group.firstItem; k < group.endItem; ++k) advance += paragraph.items[k].advance;
  return advance;
}

float rubyAdvance(const ItemizedParagraph& paragraph, const RubyGroup& group) {
  return static_cast<float>(group.rubyCharacters) * paragraph.rubyScale *
         paragraph.items[group.firstItem].scale;
}

// Rubies over single kanji in a row, one word: kept apart while each fits its
// kanji, set as one ruby over the word when one is longer.
void joinJukugo(ItemizedParagraph& paragraph) {
  std::vector<RubyGroup>& groups = paragraph.rubies;
  std::vector<RubyGroup> joined;
  joined.reserve(groups.size());
  for (std::size_t g = 0; g < groups.size();) {
    std::size_t end = g + 1;
    auto single = [&](const RubyGroup& group) {
      return group.mono && paragraph.items[group.firstItem].charClass == CharClass::ideograph;
    };
    if (single(groups[g]))
      while (end < groups.size() && single(groups[end]) && groups[end].firstItem == groups[end - 1].endItem &&
             groups[end].side == groups[g].side)
        ++end;
    bool longer = false;
    for (std::size_t k = g; k < end && end - g > 1; ++k)
      longer = longer || rubyAdvance(paragraph, groups[k]) > baseAdvance(paragraph, groups[k]) + tolerance;
    if (!longer) {
      joined.insert(joined.end(), groups.begin() + static_cast<std::ptrdiff_t>(g),
                    groups.begin() + static_cast<std::ptrdiff_t>(end));
    } else {
      RubyGroup word = groups[g];
      word.endItem = groups[end - 1].endItem;
      word.rubyLength = groups[end - 1].rubyFirst + groups[end - 1].rubyLength - word.rubyFirst;
      word.rubyCharacters = 0;
      for (std::size_t k = g; k < end; ++k) word.rubyCharacters += groups[k].rubyCharacters;
      word.mono = false;
      joined.push_back(word);
    }
    g = end;
  }
  if (joined.size() == groups.size()) return;
  groups = std::move(joined);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    for (std::uint32_t k = groups[g].firstItem; k < groups[g].endItem; ++k) {
      Item& item = paragraph.items[k];
      item.ruby = static_cast<std::int32_t>(g);
      item.joinsNext = k + 1 < groups[g].endItem;
      if (k > groups[g].firstItem) item.gap.letterSpacing = false;
    }
  }
}

// A kana without a ruby of its own may lie under a neighbour's ruby.
bool holdsOverhang(const Item& item) {
  return isKana(item.charClass) && item.ruby < 0 && item.setting == Setting::upright;
}

}  // namespace

void fitRuby(ItemizedParagraph& paragraph, bool jukugo) {
  if (paragraph.rubies.empty()) return;
  if (jukugo) joinJukugo(paragraph);
  std::vector<Item>& items = paragraph.items;
  // The room under its ruby that each kana beside a base has left.
  std::vector<float> room;
  for (RubyGroup& group : paragraph.rubies) {
    const float base = baseAdvance(paragraph, group), ruby = rubyAdvance(paragraph, group);
    if (ruby <= base + tolerance) continue;
    if (room.empty()) room.assign(items.size(), -1);
    const float excess = ruby - base;
    const float oneCharacter = paragraph.rubyScale * items[group.firstItem].scale;
    auto overhang = [&](std::size_t neighbour) {
      if (!holdsOverhang(items[neighbour])) return 0.0F;
      if (room[neighbour] < 0) room[neighbour] = oneCharacter;
      const float taken = std::min(excess / 2, room[neighbour]);
      room[neighbour] -= taken;
      return taken;
    };
    group.overhangBefore = group.firstItem > 0 ? overhang(group.firstItem - 1) : 0;
    group.overhangAfter = group.endItem < items.size() ? overhang(group.endItem) : 0;
    if (group.mono) {
      items[group.firstItem].lead = excess / 2 - group.overhangBefore;
      items[group.firstItem].trail = excess / 2 - group.overhangAfter;
    } else {
      const float count = static_cast<float>(group.endItem - group.firstItem);
      const float space = (excess - group.overhangBefore - group.overhangAfter) / (2 * count);
      for (std::uint32_t k = group.firstItem; k < group.endItem; ++k) items[k].lead = items[k].trail = space;
    }
  }
}

RubyPlacement placeRuby(const ItemizedParagraph& paragraph, const RubyGroup& group, float baseStart,
                        float baseEnd) {
  const Item& first = paragraph.items[group.firstItem];
  RubyPlacement placement;
  placement.size = paragraph.rubyScale * first.scale;
  const float ruby = placement.size * static_cast<float>(group.rubyCharacters);
  const float base = baseEnd - baseStart;
  if (ruby > base + tolerance) {
    // Solid, from where the room made for it begins.
    placement.start = baseStart - first.lead - group.overhangBefore;
    placement.pitch = placement.size;
  } else if (group.mono || group.rubyCharacters <= 1) {
    placement.start = baseStart + (base - ruby) / 2;
    placement.pitch = placement.size;
  } else {
    const float space = (base - ruby) / static_cast<float>(group.rubyCharacters);
    placement.start = baseStart + space / 2;
    placement.pitch = placement.size + space;
  }
  return placement;
}

}  // namespace zelvato::book
