#include "read/text_reader.h"

#include <algorithm>

#include "read/aozora/aozora_notation.h"
#include "read/web/web_novel_notation.h"

namespace zelvato {

Document readPlainText(std::u16string_view source) {
  Document document;
  document.sourceLength = source.size();
  std::size_t start = 0;
  while (start <= source.size()) {
    const std::size_t end = source.find(u'\r', start);
    const bool endsLine = end != std::u16string_view::npos;
    const std::u16string_view line = source.substr(start, endsLine ? end - start : std::u16string_view::npos);
    Paragraph paragraph;
    paragraph.endsLine = endsLine;
    paragraph.sourceEnd = endsLine ? end + 1 : source.size();
    if (!line.empty()) {
      Run& run = paragraph.runs.emplace_back();
      run.text.reserve(line.size());
      // The pieces between line feeds, each copied in one go.
      for (std::size_t from = 0; from < line.size();) {
        const std::size_t feed = std::min(line.find(u'\n', from), line.size());
        run.text.append(line.substr(from, feed - from));
        from = feed + 1;
      }
      if (run.text.empty()) paragraph.runs.clear();
    }
    if (endsLine || !paragraph.runs.empty()) document.paragraphs.push_back(std::move(paragraph));
    if (!endsLine) break;
    start = end + 1;
  }
  return document;
}

Document readDocument(std::u16string_view source, bool aozoraNotation) {
  return aozoraNotation ? readAozoraText(source) : readPlainText(source);
}

Document readDocument(std::u16string_view source, const ConversionSettings& settings) {
  if (!settings.aozoraNotation && settings.webNotation)
    return readWebNovelText(source, WebNotationOptions{settings.furiganaParens});
  return readDocument(source, settings.aozoraNotation);
}

}  // namespace zelvato
