#include "run/outline.h"

#include <algorithm>
#include <optional>

namespace zelvato {
namespace {

bool isSpace(char16_t c) {
  return c == u' ' || c == u'\u3000' || c == u'\t';
}

std::u16string_view trimmed(std::u16string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Where each line of the source begins; CR LF, LF and a lone CR end a line.
std::vector<std::size_t> lineStarts(std::u16string_view source) {
  std::vector<std::size_t> starts{0};
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (source[i] == u'\r' && i + 1 < source.size() && source[i + 1] == u'\n') ++i;
    if (source[i] == u'\r' || source[i] == u'\n') starts.push_back(i + 1);
  }
  return starts;
}

// "## 第二話" is a heading of level 2; "#hashtag" and "［＃…］" are none.
std::optional<OutlineEntry> markedHeading(std::u16string_view line) {
  int level = 0;
  while (static_cast<std::size_t>(level) < line.size() && (line[level] == u'#' || line[level] == u'＃'))
    ++level;
  if (level < 1 || level > 3 || static_cast<std::size_t>(level) >= line.size() || !isSpace(line[level]))
    return std::nullopt;
  const std::u16string_view text = trimmed(line.substr(static_cast<std::size_t>(level)));
  if (text.empty()) return std::nullopt;
  return OutlineEntry{level, std::u16string(text), 0};
}

}  // namespace

std::vector<OutlineEntry> textOutline(const Document& document, std::u16string_view source) {
  const std::vector<std::size_t> starts = lineStarts(source);
  const auto lineOf = [&starts](std::size_t offset) {
    return static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin() -
                                    1);
  };
  std::vector<OutlineEntry> outline;
  for (const Paragraph& paragraph : document.paragraphs) {
    if (paragraph.style.headingLevel <= 0) continue;
    std::u16string text;
    for (const Run& run : paragraph.runs)
      if (run.kind == RunKind::text) text += run.text;
    // A heading is one line; its line is the one its end (its line break) is on,
    // which holds also where a header before it was read as no paragraph.
    const std::size_t end = paragraph.sourceEnd > 0 ? paragraph.sourceEnd - 1 : 0;
    if (const std::u16string_view shown = trimmed(text); !shown.empty())
      outline.push_back({paragraph.style.headingLevel, std::u16string(shown), lineOf(end)});
  }
  const std::size_t annotated = outline.size();
  for (std::size_t line = 0; line < starts.size(); ++line) {
    const std::size_t end = line + 1 < starts.size() ? starts[line + 1] : source.size();
    std::u16string_view text = source.substr(starts[line], end - starts[line]);
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.remove_suffix(1);
    std::optional<OutlineEntry> heading = markedHeading(text);
    if (!heading) continue;
    heading->line = line;
    // A line the notation already made a heading is listed once.
    const auto same = [line](const OutlineEntry& e) { return e.line == line; };
    if (std::none_of(outline.begin(), outline.begin() + static_cast<std::ptrdiff_t>(annotated), same))
      outline.push_back(std::move(*heading));
  }
  std::stable_sort(outline.begin(), outline.end(),
                   [](const OutlineEntry& a, const OutlineEntry& b) { return a.line < b.line; });
  return outline;
}

}  // namespace zelvato
