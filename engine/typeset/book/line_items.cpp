#include "typeset/book/line_items.h"

#include <algorithm>

#include "text/unicode_text.h"
#include "text/widening.h"

namespace zelvato::book {
namespace {

bool isAsciiDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
bool isWideDigit(char16_t c) {
  return c >= u'０' && c <= u'９';
}
bool isExclamationOrQuestion(char16_t c) {
  return c == u'!' || c == u'?' || c == u'！' || c == u'？';
}
// A character of a Western word: ASCII and the Latin, Greek and Cyrillic letters.
bool isWestern(char16_t c) {
  return (c >= 0x21 && c <= 0x7E) || (c >= 0xC0 && c <= 0x4FF && c != 0xD7 && c != 0xF7);
}

class Itemizer {
 public:
  Itemizer(const ItemizeOptions& options, const GlyphMetrics& metrics, float scale)
      : options_(options), metrics_(metrics), scale_(scale) {
    out_.rubyScale = options.rubyScale;
  }

  ItemizedParagraph take(const Paragraph& paragraph) {
    const std::vector<Run>& runs = paragraph.runs;
    for (std::size_t r = 0; r < runs.size(); ++r) {
      // A 割り注 stands in parentheses, however many runs it holds.
      const bool note = runs[r].kind == RunKind::warichu;
      if (note && (r == 0 || runs[r - 1].kind != RunKind::warichu)) addText(u"（", 0);
      addRun(runs[r]);
      if (note && (r + 1 == runs.size() || runs[r + 1].kind != RunKind::warichu)) addText(u"）", 0);
    }
    setGaps();
    return std::move(out_);
  }

 private:
  void addRun(const Run& run) {
    switch (run.kind) {
      case RunKind::text:
      case RunKind::warichu:
      case RunKind::kaeriten:
      case RunKind::kuntenOkurigana:
        break;
      case RunKind::gaijiDescription:
        addText(u"※（" + run.text + u"）", 0);
        return;
      case RunKind::editorNote:
        if (options_.editorNotes) addText(u"（" + run.text + u"）", 0);
        return;
      case RunKind::illustration:
        addText(run.text.empty() ? u"（挿絵）" : u"（挿絵：" + run.text + u"）", 0);
        return;
    }
    const std::uint16_t marks = markIndex(run.marks);
    const std::size_t firstItem = out_.items.size();
    if (run.marks.tateChuYoko && !run.text.empty()) {
      addItem(run.text, CharClass::tateChuYoko, Setting::across, 1, marks);
    } else {
      addText(run.text, marks);
    }
    if (options_.ruby && !run.ruby.empty() && out_.items.size() > firstItem) addRuby(run, firstItem);
  }

  std::uint16_t markIndex(const RunMarks& marks) {
    if (marks == RunMarks{}) return 0;
    const auto found = std::find(out_.marks.begin(), out_.marks.end(), marks);
    if (found != out_.marks.end()) return static_cast<std::uint16_t>(found - out_.marks.begin());
    out_.marks.push_back(marks);
    return static_cast<std::uint16_t>(out_.marks.size() - 1);
  }

  void addRuby(const Run& run, std::size_t firstItem) {
    RubyGroup group;
    group.firstItem = static_cast<std::uint32_t>(firstItem);
    group.endItem = static_cast<std::uint32_t>(out_.items.size());
    group.rubyFirst = static_cast<std::uint32_t>(out_.rubyText.size());
    group.rubyLength = static_cast<std::uint32_t>(run.ruby.size());
    std::uint16_t characters = 0;
    for (const char16_t c : run.ruby)
      if (!isLowSurrogate(c)) ++characters;
    group.rubyCharacters = characters;
    group.mono = group.endItem - group.firstItem == 1;
    group.side = run.rubySide;
    out_.rubyText += run.ruby;
    const auto index = static_cast<std::int32_t>(out_.rubies.size());
    for (std::size_t k = firstItem; k < out_.items.size(); ++k) {
      out_.items[k].ruby = index;
      out_.items[k].joinsNext = k + 1 < out_.items.size();
    }
    out_.rubies.push_back(group);
  }

  void addItem(std::u16string_view text, CharClass charClass, Setting setting, float advance,
               std::uint16_t marks) {
    Item item;
    item.first = static_cast<std::uint32_t>(out_.text.size());
    item.length = static_cast<std::uint16_t>(text.size());
    item.charClass = charClass;
    item.setting = setting;
    item.marks = marks;
    item.scale = scale_;
    item.advance = advance * scale_;
    out_.text += text;
    out_.items.push_back(item);
  }

  void addUpright(char16_t c, std::uint16_t marks) {
    const CharClass charClass = book::charClass(c);
    addItem(std::u16string_view(&c, 1), charClass, Setting::upright, bodyAdvance(charClass), marks);
  }

  void addText(std::u16string_view text, std::uint16_t marks) {
    const std::size_t length = text.size();
    for (std::size_t k = 0; k < length;) {
      const char16_t c = text[k];
      if (isHighSurrogate(c) && k + 1 < length && isLowSurrogate(text[k + 1])) {
        addItem(text.substr(k, 2), CharClass::ideograph, Setting::upright, 1, marks);
        k += 2;
      } else if (c == u'\t') {
        addUpright(u'\u3000', marks);
        ++k;
      } else if (c < 0x20 || c == 0x7F) {
        ++k;
      } else if (c >= 0xFF61 && c <= 0xFF9F) {
        char16_t wide = widenCharacter(c);
        if (k + 1 < length && (text[k + 1] == u'\uFF9E' || text[k + 1] == u'\uFF9F')) {
          if (const char16_t voiced = composeVoicedKana(wide, text[k + 1]); voiced != 0) {
            wide = voiced;
            ++k;
          }
        }
        addUpright(wide, marks);
        ++k;
      } else if (isWestern(c) || (c == u' ' && k + 1 < length && isWestern(text[k + 1]))) {
        // A Western run, with the spaces between its words and those beside it.
        std::size_t end = k + 1;
        while (end < length && (isWestern(text[end]) || text[end] == u' ')) ++end;
        addWestern(text.substr(k, end - k), marks, k == 0 || !isWideDigit(text[k - 1]));
        k = end;
      } else if (isWideDigit(c) || c == u'！' || c == u'？') {
        std::size_t end = k + 1;
        while (end < length && (isWideDigit(c) ? isWideDigit(text[end]) : isExclamationOrQuestion(text[end])))
          ++end;
        const std::size_t count = end - k;
        const bool across = isWideDigit(c)
                                ? count >= 2 && count <= static_cast<std::size_t>(options_.tateChuYokoDigits)
                                : count == 2 && options_.tateChuYokoMarks;
        if (across) {
          addItem(text.substr(k, count), CharClass::tateChuYoko, Setting::across, 1, marks);
        } else {
          for (std::size_t j = k; j < end; ++j) addUpright(text[j], marks);
        }
        k = end;
      } else if (c == u' ') {
        addUpright(u'\u3000', marks);
        ++k;
      } else {
        addUpright(c, marks);
        ++k;
      }
    }
  }

  // A run of Western characters: a number of two or three digits or a !? pair
  // across, a lone character or any run when so chosen upright, else words
  // turned; the spaces beside and between them are word spaces.
  void addWestern(std::u16string_view run, std::uint16_t marks, bool standsAlone) {
    std::size_t from = 0, to = run.size();
    while (from < to && run[from] == u' ') addSpace(run.substr(from++, 1), marks);
    while (to > from && run[to - 1] == u' ') --to;
    addWesternCore(run.substr(from, to - from), marks, standsAlone);
    for (std::size_t k = to; k < run.size(); ++k) addSpace(run.substr(k, 1), marks);
  }

  void addSpace(std::u16string_view space, std::uint16_t marks) {
    addItem(space, CharClass::westernSpace, Setting::blank, 0, marks);
  }

  void addWesternCore(std::u16string_view run, std::uint16_t marks, bool standsAlone) {
    if (run.empty()) return;
    const bool digits = std::all_of(run.begin(), run.end(), isAsciiDigit);
    const auto count = static_cast<int>(run.size());
    if (standsAlone && ((digits && count >= 2 && count <= options_.tateChuYokoDigits) ||
                        (options_.tateChuYokoMarks && count == 2 &&
                         std::all_of(run.begin(), run.end(), isExclamationOrQuestion)))) {
      addItem(run, CharClass::tateChuYoko, Setting::across, 1, marks);
      return;
    }
    // Marks without a letter or digit (!!!, ...) stand upright as Japanese punctuation does.
    const bool word = std::any_of(run.begin(), run.end(), [](char16_t c) {
      return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c >= 0xC0;
    });
    if (options_.uprightLatin || count == 1 || digits || !word) {
      for (const char16_t c : run) {
        if (c == u' ') {
          addSpace(std::u16string_view(&c, 1), marks);
          continue;
        }
        const CharClass charClass = book::charClass(widenCharacter(c));
        addItem(std::u16string_view(&c, 1), charClass, Setting::upright, bodyAdvance(charClass), marks);
      }
      return;
    }
    // A word longer than any line is cut, as it could not stand whole anyway.
    constexpr std::size_t longestWord = 200;
    std::size_t k = 0;
    while (k < run.size()) {
      std::size_t end = std::min(run.find(u' ', k), std::min(run.size(), k + longestWord));
      if (end > k) {
        const std::u16string_view word = run.substr(k, end - k);
        addItem(word, CharClass::latin, Setting::rotated, static_cast<float>(metrics_.acrossAdvance(word)),
                marks);
      }
      if (end < run.size() && run[end] == u' ') {
        addSpace(run.substr(end, 1), marks);
        ++end;
      }
      k = end;
    }
  }

  void setGaps() {
    const float space = static_cast<float>(metrics_.acrossAdvance(u" ")) * scale_;
    std::vector<Item>& items = out_.items;
    for (std::size_t k = 1; k < items.size(); ++k) {
      Item& item = items[k];
      if (item.charClass == CharClass::westernSpace) {
        // The word space: a little may go, and it widens first.
        item.gap = Gap{space, std::max(0.0F, space - 0.25F * scale_), Squeeze::western, true, false};
        continue;
      }
      item.gap = gapBetween(items[k - 1].charClass, item.charClass);
      item.gap.natural *= scale_;
      item.gap.shrink *= scale_;
      if (items[k - 1].joinsNext) item.gap.letterSpacing = false;
    }
  }

  const ItemizeOptions& options_;
  const GlyphMetrics& metrics_;
  float scale_;
  ItemizedParagraph out_;
};

}  // namespace

double EstimatedMetrics::acrossAdvance(std::u16string_view text) const {
  double advance = 0;
  for (const char16_t c : text) {
    if (c == u' ') {
      advance += 0.25;
    } else if (c == u'i' || c == u'l' || c == u'.' || c == u',' || c == u'\'' || c == u'!' || c == u'|') {
      advance += 0.28;
    } else if (c == u'm' || c == u'w' || c == u'M' || c == u'W') {
      advance += 0.78;
    } else if (c >= u'A' && c <= u'Z') {
      advance += 0.67;
    } else {
      advance += 0.5;
    }
  }
  return advance;
}

ItemizedParagraph itemizeParagraph(const Paragraph& paragraph, const ItemizeOptions& options,
                                   const GlyphMetrics& metrics, float scale) {
  return Itemizer(options, metrics, scale).take(paragraph);
}

}  // namespace zelvato::book
