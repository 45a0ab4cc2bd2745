#include "html_text.h"

namespace zelvato {

std::u16string escapeAttribute(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (const char16_t c : text) {
    switch (c) {
      case u'&':
        out += u"&amp;";
        break;
      case u'"':
        out += u"&quot;";
        break;
      case u'<':
        out += u"&lt;";
        break;
      case u'>':
        out += u"&gt;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace zelvato
