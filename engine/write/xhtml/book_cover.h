#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvato {

// The cover of a book: the user's picture, or one of our own with the title
// and the author set vertically on a plain page, as SVG.
struct CoverPicture {
  std::string extension;  // "jpg", "png" or "svg"
  std::string mediaType;
  std::string bytes;
  int width = 0;
  int height = 0;
};

// The width and height of a PNG or JPEG picture in pixels, from its header;
// nothing when the bytes hold no readable size.
std::optional<std::pair<int, int>> pictureSize(std::string_view bytes, std::string_view mediaType);

// The user's cover: a JPEG or PNG picture, read as an illustration is (io/
// illustration_files.h); nothing, with the reason, when it cannot be.
struct CoverRead {
  std::optional<CoverPicture> picture;
  std::string failure;
};
CoverRead readCoverPicture(const std::string& path);

// A cover of our own: the title large and the author smaller, each set
// vertically one character below the other (brackets and punctuation in their
// vertical forms, long marks and Latin letters turned), on a plain page.
CoverPicture generatedCover(std::u16string_view title, std::u16string_view author);

// The content document that shows the cover picture `href` on a page of its
// own, scaled to fit, as the reading systems' covers are made.
std::string coverPage(const CoverPicture& picture, std::string_view href);

}  // namespace zelvato
