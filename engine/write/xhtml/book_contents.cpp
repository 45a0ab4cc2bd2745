#include "write/xhtml/book_contents.h"

#include <algorithm>
#include <cstddef>

#include "text/html_text.h"
#include "text/unicode_text.h"

namespace zelvato {
namespace {

// The children of each entry by index, and the entries at the top (under the index `entries.size()`).
std::vector<std::vector<std::size_t>> nesting(const std::vector<ContentsEntry>& entries) {
  std::vector<std::vector<std::size_t>> children(entries.size() + 1);
  std::vector<std::size_t> open;  // the entries a later one may belong under, outermost first
  for (std::size_t i = 0; i < entries.size(); ++i) {
    while (!open.empty() && entries[open.back()].level >= entries[i].level) open.pop_back();
    children[open.empty() ? entries.size() : open.back()].push_back(i);
    open.push_back(i);
  }
  return children;
}

void navigationItems(std::u16string& out, const std::vector<ContentsEntry>& entries,
                     const std::vector<std::vector<std::size_t>>& children, std::size_t parent) {
  out += u"<ol>\n";
  for (const std::size_t i : children[parent]) {
    out +=
        u"<li><a href=\"" + escapeAttribute(entries[i].href) + u"\">" + escapeText(entries[i].text) + u"</a>";
    if (!children[i].empty()) {
      out += u"\n";
      navigationItems(out, entries, children, i);
    }
    out += u"</li>\n";
  }
  out += u"</ol>\n";
}

void navPoints(std::u16string& out, const std::vector<ContentsEntry>& entries,
               const std::vector<std::vector<std::size_t>>& children, std::size_t parent, int depth) {
  const std::u16string indent(static_cast<std::size_t>(depth) * 2, u' ');
  for (const std::size_t i : children[parent]) {
    // Entries are numbered in reading order, which is their order here.
    const std::u16string order = utf8ToUtf16(std::to_string(i + 1));
    out += indent + u"<navPoint id=\"np" + order + u"\" playOrder=\"" + order + u"\">\n" + indent +
           u"  <navLabel><text>" + escapeText(entries[i].text) + u"</text></navLabel>\n" + indent +
           u"  <content src=\"" + escapeAttribute(entries[i].href) + u"\"/>\n";
    navPoints(out, entries, children, i, depth + 1);
    out += indent + u"</navPoint>\n";
  }
}

int depthOf(const std::vector<std::vector<std::size_t>>& children, std::size_t parent) {
  int deepest = 0;
  for (const std::size_t i : children[parent]) deepest = std::max(deepest, 1 + depthOf(children, i));
  return deepest;
}

}  // namespace

std::u16string navigationList(const std::vector<ContentsEntry>& entries) {
  std::u16string out;
  navigationItems(out, entries, nesting(entries), entries.size());
  return out;
}

std::string ncxDocument(std::string_view identifier, std::u16string_view title, std::u16string_view author,
                        const std::vector<ContentsEntry>& entries) {
  const auto children = nesting(entries);
  std::u16string ncx =
      u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      u"<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" version=\"2005-1\" xml:lang=\"ja\">\n<head>\n"
      u"  <meta name=\"dtb:uid\" content=\"" +
      utf8ToUtf16(identifier) + u"\"/>\n  <meta name=\"dtb:depth\" content=\"" +
      utf8ToUtf16(std::to_string(std::max(1, depthOf(children, entries.size())))) +
      u"\"/>\n  <meta name=\"dtb:totalPageCount\" content=\"0\"/>\n"
      u"  <meta name=\"dtb:maxPageNumber\" content=\"0\"/>\n</head>\n<docTitle><text>" +
      escapeText(title) + u"</text></docTitle>\n";
  if (!author.empty()) ncx += u"<docAuthor><text>" + escapeText(author) + u"</text></docAuthor>\n";
  ncx += u"<navMap>\n";
  navPoints(ncx, entries, children, entries.size(), 1);
  ncx += u"</navMap>\n</ncx>\n";
  return utf16ToUtf8(ncx);
}

}  // namespace zelvato
