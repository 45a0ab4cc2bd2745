#include "write/pdf/pdf_document.h"

#include <cstdio>
#include <cstdlib>

namespace zelvato::pdf {
namespace {

std::string ref(int number) {
  return std::to_string(number) + " 0 R";
}

void appendBox(std::string& out, std::string_view name, Rect box, double pageHeight) {
  out += name;
  out += '[';
  appendNumber(out, box.left());
  out += ' ';
  appendNumber(out, pageHeight - box.bottom());
  out += ' ';
  appendNumber(out, box.right());
  out += ' ';
  appendNumber(out, pageHeight - box.top());
  out += ']';
}

std::string pdfDate(std::time_t time) {
  std::tm utc{};
  gmtime_r(&time, &utc);
  char text[64];
  std::snprintf(text, sizeof text, "(D:%04d%02d%02d%02d%02d%02dZ)", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return text;
}

}  // namespace

std::time_t creationTime() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0')
    return static_cast<std::time_t>(std::strtoll(epoch, nullptr, 10));
  return std::time(nullptr);
}

Document::Document(ByteSink sink, DocumentInfo info) : objects_(std::move(sink)), info_(std::move(info)) {}

Document::~Document() = default;

int Document::fontNumber(const std::shared_ptr<const Face>& face) {
  const auto [entry, added] = fontOfFace_.try_emplace(face.get(), static_cast<int>(fonts_.size()));
  if (added) fonts_.push_back(std::make_unique<EmbeddedFont>(face, entry->second));
  return entry->second;
}

Canvas& Document::beginPage(Size size, const PageBoxes& boxes) {
  if (!begun_) {
    begun_ = true;
    if (!objects_.begin()) failed_ = true;
    pagesObject_ = objects_.reserve();
  }
  page_.reset(new Canvas(*this, size));
  boxes_ = boxes;
  return *page_;
}

bool Document::endPage() {
  if (!page_) return false;
  Canvas& page = *page_;
  page.endText();
  const Size size = page.size();
  const int contents = objects_.reserve(), object = objects_.reserve();
  std::string body = "<</Type/Page/Parent " + ref(pagesObject_) + "/MediaBox[0 0 ";
  appendNumber(body, size.width);
  body += ' ';
  appendNumber(body, size.height);
  body += ']';
  if (!boxes_.trim.isEmpty()) appendBox(body, "/TrimBox", boxes_.trim, size.height);
  if (!boxes_.bleed.isEmpty()) appendBox(body, "/BleedBox", boxes_.bleed, size.height);
  body += "/Resources" + page.resources() + "/Contents " + ref(contents) + ">>";
  const bool written = objects_.writeStream(contents, "", page.content_) && objects_.write(object, body);
  pageObjects_.push_back(object);
  pageSizes_.push_back(size);
  page_.reset();
  return written;
}

FormId Document::defineForm(Size size, const std::function<void(Canvas&)>& draw) {
  if (!begun_) {
    begun_ = true;
    if (!objects_.begin()) failed_ = true;
    pagesObject_ = objects_.reserve();
  }
  Canvas form(*this, size);
  draw(form);
  form.endText();
  const int object = objects_.reserve();
  std::string entries = "/Type/XObject/Subtype/Form/BBox[0 0 ";
  appendNumber(entries, size.width);
  entries += ' ';
  appendNumber(entries, size.height);
  entries += "]/Resources" + form.resources();
  if (!objects_.writeStream(object, entries, form.content_)) failed_ = true;
  forms_.push_back(object);
  return static_cast<FormId>(forms_.size());
}

void Document::addOutlineEntry(int level, std::u16string title, int page, std::optional<Point> at) {
  outline_.push_back({level, std::move(title), page, at});
}

void Document::setPageLabels(int firstPage, LabelStyle style, int start, std::u16string prefix) {
  labels_[firstPage] = {style, start, std::move(prefix)};
}

std::string Document::pageLabels() const {
  std::string out = "<</Nums[";
  for (const auto& [page, label] : labels_) {
    out += std::to_string(page) + "<<";
    switch (label.style) {
      case LabelStyle::decimal:
        out += "/S/D";
        break;
      case LabelStyle::lowerRoman:
        out += "/S/r";
        break;
      case LabelStyle::upperRoman:
        out += "/S/R";
        break;
      case LabelStyle::none:
        break;
    }
    if (label.start != 1) out += "/St " + std::to_string(label.start);
    if (!label.prefix.empty()) {
      out += "/P";
      appendTextString(out, label.prefix);
    }
    out += ">>";
  }
  return out + "]>>";
}

bool Document::writeOutline(int& root) {
  // Each entry's parent is the nearest earlier entry of a lower level.
  const std::size_t count = outline_.size();
  std::vector<int> parent(count, -1), first(count, -1), last(count, -1), next(count, -1), previous(count, -1),
      descendants(count, 0);
  std::vector<int> objects(count);
  int rootFirst = -1, rootLast = -1;
  std::vector<int> open;  // the chain of entries the next may go under
  for (std::size_t i = 0; i < count; ++i) {
    objects[i] = objects_.reserve();
    while (!open.empty() && outline_[static_cast<std::size_t>(open.back())].level >= outline_[i].level)
      open.pop_back();
    const int up = open.empty() ? -1 : open.back();
    parent[i] = up;
    int& firstChild = up < 0 ? rootFirst : first[static_cast<std::size_t>(up)];
    int& lastChild = up < 0 ? rootLast : last[static_cast<std::size_t>(up)];
    if (firstChild < 0) firstChild = static_cast<int>(i);
    if (lastChild >= 0) {
      next[static_cast<std::size_t>(lastChild)] = static_cast<int>(i);
      previous[i] = lastChild;
    }
    lastChild = static_cast<int>(i);
    for (int a = up; a >= 0; a = parent[static_cast<std::size_t>(a)])
      ++descendants[static_cast<std::size_t>(a)];
    open.push_back(static_cast<int>(i));
  }
  root = objects_.reserve();
  const auto object = [&objects](int entry) { return ref(objects[static_cast<std::size_t>(entry)]); };
  for (std::size_t i = 0; i < count; ++i) {
    const OutlineEntry& entry = outline_[i];
    std::string body = "<</Title";
    appendTextString(body, entry.title);
    body += "/Parent " + (parent[i] < 0 ? ref(root) : object(parent[i]));
    if (previous[i] >= 0) body += "/Prev " + object(previous[i]);
    if (next[i] >= 0) body += "/Next " + object(next[i]);
    if (first[i] >= 0)
      body += "/First " + object(first[i]) + "/Last " + object(last[i]) + "/Count " +
              std::to_string(descendants[i]);
    const std::size_t page = static_cast<std::size_t>(std::clamp(entry.page, 0, pageCount() - 1));
    body += "/Dest[" + ref(pageObjects_[page]);
    if (entry.at) {
      body += "/XYZ ";
      appendNumber(body, entry.at->x);
      body += ' ';
      appendNumber(body, pageSizes_[page].height - entry.at->y);
      body += " null]";
    } else {
      body += "/Fit]";
    }
    if (!objects_.write(objects[i], body + ">>")) return false;
  }
  return objects_.write(root, "<</Type/Outlines/First " + object(rootFirst) + "/Last " + object(rootLast) +
                                  "/Count " + std::to_string(count) + ">>");
}

bool Document::finish() {
  if (page_ && !endPage()) failed_ = true;
  if (failed() || pageObjects_.empty()) return false;
  for (const auto& font : fonts_)
    if (!font->write(objects_)) return false;

  std::string kids;
  for (const int page : pageObjects_) kids += ref(page) + ' ';
  if (!objects_.write(pagesObject_,
                      "<</Type/Pages/Kids[" + kids + "]/Count " + std::to_string(pageObjects_.size()) + ">>"))
    return false;

  int outline = 0;
  if (!outline_.empty() && !writeOutline(outline)) return false;

  const int info = objects_.reserve();
  std::string body = "<<";
  const auto entry = [&body](std::string_view key, std::u16string_view text) {
    if (text.empty()) return;
    body += key;
    appendTextString(body, text);
  };
  entry("/Title", info_.title);
  entry("/Author", info_.author);
  entry("/Subject", info_.subject);
  entry("/Creator", info_.creator);
  entry("/Producer", info_.creator);
  if (info_.created) body += "/CreationDate" + pdfDate(*info_.created) + "/ModDate" + pdfDate(*info_.created);
  if (!objects_.write(info, body + ">>")) return false;

  const int catalog = objects_.reserve();
  body = "<</Type/Catalog/Pages " + ref(pagesObject_);
  if (!info_.language.empty()) body += "/Lang(" + info_.language + ")";
  body += "/ViewerPreferences<<";
  if (info_.rightToLeft) body += "/Direction/R2L";
  if (!info_.title.empty()) body += "/DisplayDocTitle true";
  body += ">>";
  if (outline != 0) body += "/Outlines " + ref(outline) + "/PageMode/UseOutlines";
  if (!labels_.empty()) body += "/PageLabels" + pageLabels();
  if (!objects_.write(catalog, body + ">>")) return false;
  return objects_.finish(catalog, info);
}

}  // namespace zelvato::pdf
