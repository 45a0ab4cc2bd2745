#include "write/page_output.h"

#include "document/number_text.h"
#include "text/codepage.h"
#include "text/unicode_text.h"
#include "zelvato_version.h"

namespace zelvato {

std::u16string charsetDeclaration(const ConversionSettings& settings) {
  const std::u16string_view charset =
      settings.outputEncoding == OutputEncoding::utf8 ? u"UTF-8" : u"Shift_JIS";
  return u"<META http-equiv=\"Content-Type\" content=\"text/html; charset=" + std::u16string(charset) +
         u"\">";
}

std::string encodePage(const ConversionSettings& settings, std::u16string_view text) {
  return settings.outputEncoding == OutputEncoding::utf8 ? utf16ToUtf8(text) : encodeCp932(text);
}

std::string previewStart(const ConversionSettings& settings) {
  std::u16string start = std::u16string(previewGeneratorLine) + u"\r\n";
  if (settings.textStyle == TextStyle::grid) start += charsetDeclaration(settings) + u"\r\n";
  return encodePage(settings, start);
}

std::u16string generatorName() {
  return u"KORVENT Zelvato Ver" + formatNumber(version::major, 1) + u"." + formatNumber(version::minor, 1) +
         u"." + formatNumber(version::revision, 1);
}

std::u16string pageFileName(const ConversionSettings& settings, std::int32_t pageNumber) {
  return settings.outputFolder + settings.fileBaseName + formatNumber(pageNumber, 3) + u".html";
}

}  // namespace zelvato
