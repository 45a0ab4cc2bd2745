#pragma once

#include <string_view>

#include "document/conversion_settings.h"
#include "document/document.h"

namespace zelvato {

// Plain text: every carriage return ends a paragraph (and its vertical line);
// line feeds are no line ends of their own and are left out. One run a paragraph.
Document readPlainText(std::u16string_view source);

// The text read as plain text, or as an Aozora Bunko text with its notation.
Document readDocument(std::u16string_view source, bool aozoraNotation);

// The text read in the notation the settings choose: Aozora Bunko's, the
// novel-posting sites' (read/web/), or none.
Document readDocument(std::u16string_view source, const ConversionSettings& settings);

}  // namespace zelvato
