#include "document/document_title.h"

namespace zelvato {

ConversionSettings withDocumentTitle(const ConversionSettings& settings, const Document& document) {
  ConversionSettings adjusted = settings;
  if (settings.aozoraNotation && settings.htmlTitle == ConversionSettings{}.htmlTitle &&
      !document.title.empty())
    adjusted.htmlTitle = document.title;
  return adjusted;
}

}  // namespace zelvato
