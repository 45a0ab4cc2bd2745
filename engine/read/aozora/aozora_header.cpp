#include "read/aozora/aozora_header.h"

#include "read/aozora/notation_reader.h"

namespace zelvato::aozora {
namespace {

// Whatever brackets stand around it (【】, 《》, ［］).
constexpr std::u16string_view explanationHeading = u"テキスト中に現れる記号について";

bool isHyphenLine(std::u16string_view content) {
  const std::u16string_view text = trimmed(content);
  return text.size() >= 10 && text.find_first_not_of(u"-－") == std::u16string_view::npos;
}

}  // namespace

std::vector<std::u16string> headerOf(std::u16string_view source, const std::vector<SourceLine>& lines) {
  constexpr std::size_t longestHeader = 6;
  std::size_t blank = 1;
  while (blank < lines.size() && blank <= longestHeader && !trimmed(lines[blank].content).empty()) ++blank;
  if (blank >= lines.size() || blank > longestHeader) return {};
  std::vector<std::u16string> header;
  for (std::size_t i = 0; i < blank; ++i) {
    // A header line with its notation read, ruby dropped.
    Document line;
    NotationReader reader(source, line);
    reader.readLine({lines[i].content, {}});
    std::u16string text;
    for (const Paragraph& p : line.paragraphs)
      for (const Run& run : p.runs) text += run.text;
    header.emplace_back(trimmed(text));
  }
  return header;
}

std::optional<std::size_t> explanationEnd(const std::vector<SourceLine>& lines, std::size_t i) {
  if (!isHyphenLine(lines[i].content) || i + 1 >= lines.size() ||
      trimmed(lines[i + 1].content).substr(0, explanationHeading.size() + 2).find(explanationHeading) ==
          std::u16string_view::npos)
    return std::nullopt;
  std::size_t closing = i + 2;
  while (closing < lines.size() && !isHyphenLine(lines[closing].content)) ++closing;
  if (closing == lines.size()) return std::nullopt;
  return closing;
}

}  // namespace zelvato::aozora
