#pragma once

#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "write/pdf/embedded_font.h"
#include "write/pdf/pdf_canvas.h"
#include "write/pdf/pdf_geometry.h"
#include "write/pdf/pdf_objects.h"

namespace zelvato::pdf {

// What the document says about itself (its information and catalog).
struct DocumentInfo {
  std::u16string title;  // empty: none
  std::u16string author;
  std::u16string subject;
  std::u16string creator;  // the program the content was made with
  std::string language = "ja";
  bool rightToLeft = true;  // pages read and bound right to left (/Direction /R2L)
  std::optional<std::time_t> created;
};

// Now, or the time SOURCE_DATE_EPOCH gives (a build that must be
// reproducible fixes the date).
std::time_t creationTime();

// The printer's boxes of a page within its media box (the page's size): the
// trimmed page and the bleed around it; empty when the page is its own trim.
struct PageBoxes {
  Rect trim;
  Rect bleed;
};

// How a range of pages is numbered in the viewer.
enum class LabelStyle { decimal, lowerRoman, upperRoman, none };

// A PDF written as it is made: each page is drawn on its canvas and written
// out when it ends, so only the page being drawn is held in memory; the fonts
// (subset to the glyphs the pages used), the outline, the page labels and the
// catalog follow the last page. Any size of page; pages, forms and text as
// the canvas draws them.
class Document : private CanvasResources {
 public:
  Document(ByteSink sink, DocumentInfo info);
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // A page of `size` points; its canvas stays valid until endPage().
  Canvas& beginPage(Size size, const PageBoxes& boxes = {});
  bool endPage();
  // A form of `size` points drawn once by `draw`, shown on pages by Canvas::drawForm.
  FormId defineForm(Size size, const std::function<void(Canvas&)>& draw);

  // An outline entry (bookmark) at `level` (1 the top) for the page `page`
  // (0 the first), shown at `at` on it or the whole page; an entry is put
  // under the nearest earlier entry of a lower level.
  void addOutlineEntry(int level, std::u16string title, int page, std::optional<Point> at = std::nullopt);
  // From page `firstPage` on, the viewer numbers pages `start`, `start + 1`, …
  // in `style`, after `prefix`.
  void setPageLabels(int firstPage, LabelStyle style, int start = 1, std::u16string prefix = {});

  // Writes what follows the pages; false when any write failed.
  bool finish();

  int pageCount() const { return static_cast<int>(pageObjects_.size()); }
  bool failed() const { return objects_.failed() || failed_; }
  std::uint64_t bytesWritten() const { return objects_.bytesWritten(); }

 private:
  struct OutlineEntry {
    int level;
    std::u16string title;
    int page;
    std::optional<Point> at;
  };
  struct PageLabel {
    LabelStyle style;
    int start;
    std::u16string prefix;
  };

  // The font of the face, its number among the document's.
  int fontNumber(const std::shared_ptr<const Face>& face) override;
  EmbeddedFont& font(int number) override { return *fonts_[static_cast<std::size_t>(number)]; }
  int fontObject(int number, bool vertical) override { return font(number).fontObject(objects_, vertical); }
  int formObject(FormId form) const override { return forms_[static_cast<std::size_t>(form - 1)]; }
  bool writeOutline(int& root);
  std::string pageLabels() const;

  ObjectWriter objects_;
  DocumentInfo info_;
  bool begun_ = false;
  bool failed_ = false;
  int pagesObject_ = 0;
  std::vector<int> pageObjects_;
  std::vector<Size> pageSizes_;
  std::vector<std::unique_ptr<EmbeddedFont>> fonts_;
  std::unordered_map<const Face*, int> fontOfFace_;
  std::vector<int> forms_;
  std::unique_ptr<Canvas> page_;
  PageBoxes boxes_;
  std::vector<OutlineEntry> outline_;
  std::map<int, PageLabel> labels_;
};

}  // namespace zelvato::pdf
