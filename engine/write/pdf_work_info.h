#pragma once

#include <string>

#include "document/conversion_settings.h"
#include "document/document.h"
#include "document/document_title.h"
#include "text/unicode_text.h"
#include "write/pdf/pdf_document.h"
#include "zelvato_version.h"

namespace zelvato {

// What a PDF of the work says of itself, the same for every PDF writer: the
// title the user gave, else the work's own (the placeholder names nothing),
// the author, the program and the time it was made.
inline pdf::DocumentInfo pdfWorkInfo(const ConversionSettings& settings, const Document& document) {
  pdf::DocumentInfo info;
  const std::u16string title = withDocumentTitle(settings, document).htmlTitle;
  if (title != ConversionSettings{}.htmlTitle) info.title = title;
  info.author = document.author;
  info.creator = u"Zelvato " + utf8ToUtf16(version::text);
  info.created = pdf::creationTime();
  return info;
}

}  // namespace zelvato
