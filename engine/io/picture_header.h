#pragma once

#include <string_view>

namespace zelvato {

// Whether `bytes` are a whole picture of the media type, as far as a reader
// can tell without drawing it: a PNG's signature, a sound IHDR and the IEND
// chunk at its end; a JPEG's markers walked from its start to a frame header
// with a size, ending in its end marker; a GIF's header with a size and its
// trailer; a WebP's RIFF size matching the file; an SVG with no script, no
// event attribute, no entity declaration and no foreign object, as a book or
// page must not run code its reader did not ask for.
bool wholePicture(std::string_view mediaType, std::string_view bytes);

}  // namespace zelvato
