#include "read/aozora/aozora_notation.h"

#include "document/number_text.h"
#include "read/aozora/aozora_header.h"
#include "read/aozora/aozora_scanner.h"
#include "read/aozora/notation_reader.h"

namespace zelvato {

using aozora::endsWith;
using aozora::explanationEnd;
using aozora::headerOf;
using aozora::NotationReader;
using aozora::SourceLine;
using aozora::splitLines;

Document readAozoraText(std::u16string_view source) {
  const std::vector<SourceLine> lines = splitLines(source);
  Document out;
  out.sourceLength = source.size();
  const std::vector<std::u16string> header = headerOf(source, lines);
  if (!header.empty()) out.title = header.front();
  // Title, author; a translator or editor may follow the author.
  if (header.size() >= 2) {
    out.author = header[1];
    if (header.size() >= 3 && !endsWith(header.back(), u"訳") && !endsWith(header.back(), u"編"))
      out.author = header.back();
  }
  out.paragraphs.reserve(lines.size());
  NotationReader reader(source, out);
  bool explanationDropped = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // The explanation of the symbols is for the reader of the plain file.
    if (!explanationDropped) {
      if (const auto closing = explanationEnd(lines, i)) {
        explanationDropped = true;
        i = *closing;
        continue;
      }
    }
    reader.readLine(lines[i]);
  }
  reader.finish();
  return out;
}

std::u16string notationReport(const Document& document) {
  std::u16string report = u"notation read:\n";
  const auto line = [&](std::u16string_view what, std::size_t count) {
    report += u"  ";
    report += what;
    report += u"\t";
    report += formatNumber(static_cast<std::int64_t>(count), 1);
    report += u"\n";
  };
  for (const auto& [kind, count] : document.notationCounts) line(kind, count);
  if (!document.describedGaiji.empty()) {
    report += u"characters without a code, by their description:\n";
    for (const std::u16string& description : document.describedGaiji)
      report += u"  ※（" + description + u"）\n";
  }
  if (!document.unreadByText.empty()) {
    // Each once, with its count and the line it first stands on; each stays in
    // its place as the editor's note.
    report += u"annotations not read:\n";
    for (const auto& [text, unread] : document.unreadByText)
      report += u"  ［＃" + text + u"］\t" + formatNumber(static_cast<std::int64_t>(unread.count), 1) +
                u"\tline " + formatNumber(static_cast<std::int64_t>(unread.firstLine), 1) + u"\n";
  }
  return report;
}

}  // namespace zelvato
