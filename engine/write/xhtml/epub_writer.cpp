#include "write/xhtml/epub_writer.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>
#include <map>
#include <optional>
#include <vector>

#include "document/document_title.h"
#include "document/number_text.h"
#include "io/illustration_files.h"
#include "text/html_text.h"
#include "text/unicode_text.h"
#include "write/page_output.h"
#include "write/xhtml/book_contents.h"
#include "write/xhtml/book_cover.h"
#include "write/xhtml/reading_style.h"
#include "write/xhtml/xhtml_content.h"
#include "write/xhtml/zip_archive.h"

namespace zelvato {
namespace {

// libdeflate's level for the book's files, measured on 吾輩は猫である with
// every typesetting option (bench/, the book against the grid single file, in
// one run): level 4 makes 466 KB at 1.0 times the grid's time, 5 452 KB at
// 1.1, 6 446 KB at 1.2, 7 441 KB at 1.5, 9 438 KB at 2.4, 12 419 KB at 10.
// Level 6 is the smallest book that keeps the run well within one and a half
// times the grid's (zlib's level 4 made 473 KB at 1.3 to 1.5 times).
constexpr int deflateLevel = 6;

constexpr std::string_view containerXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
    "  <rootfiles>\n"
    "    <rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>\n"
    "  </rootfiles>\n"
    "</container>\n";

// The table of contents and the landmarks, as a page of the book when it is one.
constexpr std::u16string_view navigationStyle =
    u"nav ol { list-style: none; margin: 0; padding: 0; }\n"
    u"nav ol ol { padding-inline-start: 1em; }\n"
    u"nav a { color: inherit; text-decoration: none; }\n"
    u"nav h1 { font-size: 1.3em; margin-block: 0 1em; }\n";

std::string sectionName(std::size_t index) {
  char name[48];
  std::snprintf(name, sizeof name, "section%04zu.xhtml", index + 1);
  return name;
}

// A content document of the book: `bodyType` says what part of the book it
// is, `sectionType` what its one section is (none when empty).
std::string contentDocument(std::u16string_view title, std::u16string_view body, std::u16string_view bodyType,
                            std::u16string_view sectionType = {}) {
  std::u16string page =
      u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
      u"<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" "
      u"xml:lang=\"ja\" lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\"/>\n<title>" +
      escapeText(title) +
      u"</title>\n<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>\n"
      u"</head>\n<body epub:type=\"" +
      std::u16string(bodyType) + u"\">\n";
  // The section is named for the style sheet too: a title page fills its page.
  if (!sectionType.empty())
    page += u"<section epub:type=\"" + std::u16string(sectionType) + u"\" class=\"" +
            std::u16string(sectionType) + u"-part\">\n";
  page += body;
  if (!sectionType.empty()) page += u"</section>\n";
  page += u"</body>\n</html>\n";
  return utf16ToUtf8(page);
}

std::string modifiedNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string xml(std::u16string_view text) {
  return utf16ToUtf8(escapeText(text));
}

// FNV-1a over the text's UTF-8 bytes, from a given start.
std::uint64_t fnv(std::string_view bytes, std::uint64_t hash) {
  for (const unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

// The pictures of the book's illustrations, read from beside the source once
// each (every name of one file is one picture) and stored as images/imageN
// with their own extension.
class BookPictures {
 public:
  BookPictures(std::u16string_view sourceFolder, bool force)
      : files_(std::u16string(sourceFolder), force ? UINT64_MAX : maxRunPictureBytes) {}

  // The link from a content document; nothing when the picture cannot be read.
  std::optional<std::u16string> link(std::u16string_view target) {
    IllustrationFile* file = files_.find(target);
    // WebP is no core type of the EPUB 3.2 that readers go by: its caption stands for it.
    if (file == nullptr || file->mediaType == "image/webp") return std::nullopt;
    char name[48];
    std::snprintf(name, sizeof name, "images/image%04zu.", file->number);
    if (stored_.size() < file->number) stored_.resize(file->number, nullptr);
    stored_[file->number - 1] = file;
    return utf8ToUtf16(name + file->extension);
  }
  // Every picture linked, in the order of first mention.
  std::vector<const IllustrationFile*> files() const {
    std::vector<const IllustrationFile*> linked;
    for (const IllustrationFile* file : stored_)
      if (file != nullptr) linked.push_back(file);
    return linked;
  }
  // Once they are in the book, the pictures' bytes go.
  void release() {
    for (IllustrationFile* file : stored_)
      if (file != nullptr) files_.dropBytes(*file);
  }

 private:
  IllustrationFiles files_;
  std::vector<IllustrationFile*> stored_;  // by number
};

// One file of the book as the package lists it.
struct BookItem {
  std::string id;
  std::string href;
  std::string mediaType = "application/xhtml+xml";
  std::string properties = {};
  bool inSpine = true;
};

// The book being put together: its files zipped as they come, listed for the package.
class BookAssembly {
 public:
  BookAssembly(const ConversionSettings& settings, const std::function<bool(std::string_view)>& write)
      : settings_(settings), zip_(deflateLevel, write) {}

  bool add(BookItem item, std::string_view bytes) {
    const bool stored = item.mediaType.starts_with("image/") && item.mediaType != "image/svg+xml";
    if (!zip_.add("OEBPS/" + item.href, bytes, !stored)) return false;
    items_.push_back(std::move(item));
    return true;
  }

  std::string package(const std::string& identifier, std::u16string_view title, std::u16string_view author,
                      const std::string& modified, const std::string& coverImage) const {
    const bool vertical = settings_.writingMode == WritingMode::vertical;
    std::string opf =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" unique-identifier=\"bookid\" "
        "xml:lang=\"ja\">\n"
        "  <metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
        "    <dc:identifier id=\"bookid\">" +
        identifier +
        "</dc:identifier>\n"
        "    <dc:title id=\"title\">" +
        xml(title) + "</dc:title>\n";
    if (!author.empty())
      opf += "    <dc:creator id=\"creator\">" + xml(author) +
             "</dc:creator>\n    <meta refines=\"#creator\" property=\"role\" "
             "scheme=\"marc:relators\">aut</meta>\n";
    opf += "    <dc:language>ja</dc:language>\n    <meta property=\"dcterms:modified\">" + modified +
           "</meta>\n"
           "    <meta property=\"rendition:layout\">reflowable</meta>\n"
           "    <meta property=\"rendition:orientation\">auto</meta>\n"
           "    <meta property=\"rendition:spread\">landscape</meta>\n"
           "    <meta name=\"primary-writing-mode\" content=\"" +
           std::string(vertical ? "vertical-rl" : "horizontal-lr") +
           "\"/>\n    <meta name=\"cover\" content=\"" + coverImage + "\"/>\n  </metadata>\n  <manifest>\n";
    for (const BookItem& item : items_) {
      opf +=
          "    <item id=\"" + item.id + "\" href=\"" + item.href + "\" media-type=\"" + item.mediaType + "\"";
      if (!item.properties.empty()) opf += " properties=\"" + item.properties + "\"";
      opf += "/>\n";
    }
    opf += "  </manifest>\n  <spine toc=\"ncx\" page-progression-direction=\"" +
           std::string(vertical ? "rtl" : "ltr") + "\">\n";
    for (const BookItem& item : items_)
      if (item.inSpine) opf += "    <itemref idref=\"" + item.id + "\"/>\n";
    return opf + "  </spine>\n</package>\n";
  }

  ZipArchive& zip() { return zip_; }

 private:
  const ConversionSettings& settings_;
  ZipArchive zip_;
  std::vector<BookItem> items_;
};

}  // namespace

std::string bookIdentifier(std::u16string_view title, std::u16string_view author) {
  const std::string key = utf16ToUtf8(title) + '\n' + utf16ToUtf8(author);
  const std::uint64_t high = fnv(key, 0xcbf29ce484222325ULL);
  const std::uint64_t low = fnv(key, high ^ 0x9e3779b97f4a7c15ULL);
  unsigned char b[16];
  for (int i = 0; i < 8; ++i) {
    b[i] = static_cast<unsigned char>(high >> (56 - 8 * i));
    b[8 + i] = static_cast<unsigned char>(low >> (56 - 8 * i));
  }
  b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x50);  // name-based
  b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
  char text[64];
  std::snprintf(text, sizeof text,
                "urn:uuid:%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", b[0], b[1],
                b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
  return text;
}

EpubOutcome writeEpub(const ConversionSettings& settings, const Document& document, const std::string& modified,
                      const std::function<bool(std::string_view)>& write) {
  const std::u16string title =
      settings.htmlTitle.empty() ? ConversionSettings{}.htmlTitle : settings.htmlTitle;
  const bool vertical = settings.writingMode == WritingMode::vertical;
  XhtmlOptions options;
  options.tateChuYoko = settings.tateChuYoko && vertical;
  options.horizontal = !vertical;
  options.editorNotes = settings.showEditorNotes;
  options.cutAtBytes = sectionBytes;
  // A text that has no page breaks of its own is cut before its headings.
  options.cutAtHeadings = true;
  for (const Paragraph& paragraph : document.paragraphs)
    if (paragraph.style.breakBefore != PageBreak::none && paragraph.style.breakBefore != PageBreak::column)
      options.cutAtHeadings = false;
  options.cutAtCentredPage = options.bookSections = options.titlePage = true;
  options.colophon = settings.aozoraNotation;
  BookPictures pictures(settings.sourceFolder, settings.forcePictures);
  if (!settings.sourceFolder.empty())
    options.illustrationLink = [&pictures](std::u16string_view target) { return pictures.link(target); };
  const std::vector<XhtmlSection> sections = xhtmlSections(document, options);

  // The user's cover picture, or one of our own.
  CoverPicture cover;
  if (!settings.coverFile.empty()) {
    CoverRead read = readCoverPicture(textToPath(settings.coverFile));
    if (!read.picture) return {false, std::move(read.failure)};
    cover = std::move(*read.picture);
  } else {
    cover = generatedCover(title, document.author);
  }

  BookAssembly book(settings, write);
  ZipArchive& zip = book.zip();
  if (!zip.add("mimetype", "application/epub+zip", false)) return {};
  zip.add("META-INF/container.xml", std::string(containerXml));
  const std::string coverHref = "images/cover." + cover.extension;
  book.add({"cover", "cover.xhtml", "application/xhtml+xml", "svg"}, coverPage(cover, coverHref));
  book.add({"cover-image", coverHref, cover.mediaType, "cover-image", false}, std::move(cover.bytes));
  book.add({"style", "style.css", "text/css", {}, false},
           utf16ToUtf8(readingStyleSheet(settings, ReadingMedium::book) + std::u16string(navigationStyle)));

  // The parts in reading order, the contents listing the headings (or, with
  // none, the title), nested by level.
  std::vector<ContentsEntry> contents;
  std::u16string titlePage, firstText;
  std::vector<std::pair<BookItem, std::string>> parts;
  std::size_t textIndex = 0;
  for (const XhtmlSection& section : sections) {
    std::string href;
    switch (section.kind) {
      case XhtmlSection::Kind::titlePage:
        href = "titlepage.xhtml";
        parts.push_back(
            {{"titlepage", href}, contentDocument(title, section.body, u"frontmatter", u"titlepage")});
        titlePage = utf8ToUtf16(href);
        break;
      case XhtmlSection::Kind::colophon:
        href = "colophon.xhtml";
        parts.push_back(
            {{"colophon", href}, contentDocument(title, section.body, u"backmatter", u"colophon")});
        break;
      case XhtmlSection::Kind::text:
        href = sectionName(textIndex);
        parts.push_back(
            {{"s" + std::to_string(++textIndex), href}, contentDocument(title, section.body, u"bodymatter")});
        if (firstText.empty()) firstText = utf8ToUtf16(href);
        break;
    }
    for (const XhtmlSection::Heading& heading : section.headings)
      contents.push_back({utf8ToUtf16(href) + u"#" + heading.id, heading.text.empty() ? title : heading.text,
                          heading.level});
  }
  if (firstText.empty()) firstText = titlePage.empty() ? utf8ToUtf16(parts.front().first.href) : titlePage;
  // A book of several headings gets a contents page after its title page.
  const bool contentsPage = contents.size() >= 2;
  if (contents.empty()) contents.push_back({firstText, title, 1});
  std::u16string landmarks = u"<li><a epub:type=\"cover\" href=\"cover.xhtml\">表紙</a></li>\n";
  if (!titlePage.empty())
    landmarks += u"<li><a epub:type=\"titlepage\" href=\"" + titlePage + u"\">扉</a></li>\n";
  if (contentsPage) landmarks += u"<li><a epub:type=\"toc\" href=\"nav.xhtml#toc\">目次</a></li>\n";
  landmarks += u"<li><a epub:type=\"bodymatter\" href=\"" + firstText + u"\">本文</a></li>\n";
  const std::string navigation = contentDocument(
      title,
      u"<nav epub:type=\"toc\" id=\"toc\">\n<h1>目次</h1>\n" + navigationList(contents) +
          u"</nav>\n<nav epub:type=\"landmarks\" id=\"landmarks\" hidden=\"\">\n<h2>ガイド</h2>\n<ol>\n" +
          landmarks + u"</ol>\n</nav>\n",
      u"frontmatter");
  const BookItem navItem{"toc", "nav.xhtml", "application/xhtml+xml", "nav", contentsPage};
  bool navAdded = false;
  for (auto& [item, bytes] : parts) {
    // The contents page comes before the text, after the title page.
    if (!navAdded && item.id != "titlepage") {
      book.add(navItem, navigation);
      navAdded = true;
    }
    book.add(item, std::move(bytes));
  }
  if (!navAdded) book.add(navItem, navigation);
  const std::string identifier = bookIdentifier(title, document.author);
  book.add({"ncx", "toc.ncx", "application/x-dtbncx+xml", {}, false},
           ncxDocument(identifier, title, document.author, contents));
  for (const IllustrationFile* picture : pictures.files()) {
    char name[48];
    std::snprintf(name, sizeof name, "images/image%04zu.", picture->number);
    book.add({"img" + std::to_string(picture->number), name + picture->extension, picture->mediaType, {}, false},
             picture->bytes);
  }
  zip.add("OEBPS/content.opf", book.package(identifier, title, document.author, modified, "cover-image"));
  pictures.release();
  return {zip.close(), {}};
}

EpubWriter::EpubWriter(const WriterContext& context)
    : settings_(context.settings), outputFiles_(context.staging) {
  settings_.outputEncoding = OutputEncoding::utf8;
}

std::optional<FileFailure> EpubWriter::failure() const {
  return failure_ ? failure_ : outputFiles_.failure();
}

bool EpubWriter::begin(const Document& document) {
  try {
    settings_ = withDocumentTitle(settings_, document);
    const std::string path = textToPath(settings_.epubFilePath);
    if (!outputFiles_.begin(path)) return false;
    // The book goes to its staged file entry by entry, as it is zipped.
    const EpubOutcome book = writeEpub(settings_, document, modifiedNow(), [&](std::string_view piece) {
      return outputFiles_.append(path, piece);
    });
    if (!book.made && !outputFiles_.failure())
      failure_ = FileFailure{book.failure.starts_with("the cover") ? textToPath(settings_.coverFile) : path,
                             book.failure.empty() ? "the book could not be zipped" : book.failure};
    return book.made;
  } catch (const std::exception&) {
    return false;
  }
}

bool EpubWriter::finish(bool completed) {
  if (finished_) return true;
  finished_ = true;
  return outputFiles_.conclude(completed);
}

}  // namespace zelvato
