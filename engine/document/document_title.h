#pragma once

#include "document/conversion_settings.h"
#include "document/document.h"

namespace zelvato {

// The settings a run of this document uses: with Aozora notation on, the work's
// title becomes the HTML title when the title field still holds its start value.
ConversionSettings withDocumentTitle(const ConversionSettings& settings, const Document& document);

}  // namespace zelvato
