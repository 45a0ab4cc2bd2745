#include "write/xhtml/epub_writer.h"

#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "document/document_title.h"
#include "document/number_text.h"
#include "io/illustration_files.h"
#include "text/html_text.h"
#include "text/unicode_text.h"
#include "typeset/grid_typesetter.h"
#include "write/page_output.h"
#include "write/xhtml/xhtml_content.h"

namespace zelvato {
namespace {

// A section grows to about this many code units before a long text without
// page breaks is cut.
constexpr std::size_t sectionSize = 50000;

constexpr std::string_view containerXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
    "  <rootfiles>\n"
    "    <rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>\n"
    "  </rootfiles>\n"
    "</container>\n";

std::string sectionName(std::size_t index) {
  char name[48];
  std::snprintf(name, sizeof name, "section%04zu.xhtml", index + 1);
  return name;
}

std::string xhtmlDocument(std::u16string_view title, std::u16string_view body, bool navigation = false) {
  std::u16string page =
      u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
      u"<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" "
      u"xml:lang=\"ja\" lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\"/>\n<title>" +
      escapeText(title) + u"</title>\n";
  if (!navigation) page += u"<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>\n";
  page += u"</head>\n<body>\n";
  page += body;
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

// Deflate's fastest level: a book of Japanese prose comes out a little larger
// than at the library's default (the highest level), in a fraction of the time.
constexpr zip_uint32_t deflateLevel = 1;

// The files of the book, zipped with the mimetype first and stored uncompressed.
class ZipBuilder {
 public:
  ZipBuilder() {
    zip_error_init(&error_);
    source_ = zip_source_buffer_create(nullptr, 0, 0, &error_);
    if (source_ == nullptr) return;
    archive_ = zip_open_from_source(source_, ZIP_TRUNCATE, &error_);
    if (archive_ == nullptr) {
      zip_source_free(source_);
      source_ = nullptr;
      return;
    }
    zip_source_keep(source_);
  }
  ~ZipBuilder() {
    if (archive_ != nullptr) zip_discard(archive_);
    if (source_ != nullptr) zip_source_free(source_);
    zip_error_fini(&error_);
  }
  ZipBuilder(const ZipBuilder&) = delete;
  ZipBuilder& operator=(const ZipBuilder&) = delete;

  bool add(const std::string& name, std::string bytes, bool compressed = true) {
    if (archive_ == nullptr) return false;
    contents_.push_back(std::make_unique<std::string>(std::move(bytes)));
    return addBorrowed(name, *contents_.back(), compressed);
  }
  // Bytes that stay where they are until the archive is closed.
  bool addBorrowed(const std::string& name, std::string_view data, bool compressed) {
    if (archive_ == nullptr) return false;
    zip_source_t* entry = zip_source_buffer(archive_, data.data(), data.size(), 0);
    if (entry == nullptr) return false;
    const zip_int64_t index =
        zip_file_add(archive_, name.c_str(), entry, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
      zip_source_free(entry);
      return false;
    }
    zip_file_set_mtime(archive_, static_cast<zip_uint64_t>(index), std::time(nullptr), 0);
    return zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index),
                                    compressed ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                    compressed ? deflateLevel : 0) == 0;
  }

  // Writes the archive; the bytes added are no longer needed after it.
  bool close() {
    if (archive_ == nullptr || zip_close(archive_) != 0) return false;
    archive_ = nullptr;
    contents_.clear();
    return true;
  }

  // Hands the zipped bytes to `write` a piece at a time; false when the
  // archive could not be closed or read, or a write failed.
  bool finish(const std::function<bool(std::string_view)>& write) {
    if (archive_ != nullptr && !close()) return false;
    if (source_ == nullptr || zip_source_open(source_) != 0) return false;
    std::string piece(std::size_t{1} << 20, '\0');
    bool done = false;
    for (;;) {
      const zip_int64_t n = zip_source_read(source_, piece.data(), piece.size());
      if (n < 0) break;
      if (n == 0) {
        done = true;
        break;
      }
      if (!write(std::string_view(piece.data(), static_cast<std::size_t>(n)))) break;
    }
    zip_source_close(source_);
    return done;
  }

 private:
  zip_error_t error_{};
  zip_source_t* source_ = nullptr;
  zip_t* archive_ = nullptr;
  std::vector<std::unique_ptr<std::string>> contents_;
};

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

std::string epubBytes(const ConversionSettings& settings, const Document& document,
                      const std::string& modified) {
  std::string bytes;
  const bool made = writeEpub(settings, document, modified, [&bytes](std::string_view piece) {
    bytes += piece;
    return true;
  });
  return made ? bytes : std::string();
}

bool writeEpub(const ConversionSettings& settings, const Document& document, const std::string& modified,
               const std::function<bool(std::string_view)>& write) {
  std::u16string title = settings.htmlTitle.empty() ? ConversionSettings{}.htmlTitle : settings.htmlTitle;
  XhtmlOptions options;
  options.tateChuYoko = settings.tateChuYoko;
  options.editorNotes = settings.showEditorNotes;
  options.cutAtSize = sectionSize;
  // A text that has no page breaks of its own is cut before its headings.
  options.cutAtHeadings = true;
  options.cutAtCentredPage = true;
  for (const Paragraph& paragraph : document.paragraphs)
    if (paragraph.style.breakBefore != PageBreak::none && paragraph.style.breakBefore != PageBreak::column)
      options.cutAtHeadings = false;
  BookPictures pictures(settings.sourceFolder, settings.forcePictures);
  if (!settings.sourceFolder.empty())
    options.illustrationLink = [&pictures](std::u16string_view target) { return pictures.link(target); };
  const std::vector<XhtmlSection> sections = xhtmlSections(document, options);

  ZipBuilder zip;
  if (!zip.add("mimetype", "application/epub+zip", false)) return {};
  zip.add("META-INF/container.xml", std::string(containerXml));
  ConversionSettings style = settings;
  zip.add("OEBPS/style.css", utf16ToUtf8(xhtmlStyleSheet(style, 0, true)));

  std::u16string toc;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    zip.add("OEBPS/" + sectionName(i), xhtmlDocument(title, sections[i].body));
    for (const XhtmlSection::Heading& heading : sections[i].headings)
      toc += u"<li><a href=\"" + utf8ToUtf16(sectionName(i)) + u"#" + heading.id + u"\">" +
             escapeText(heading.text.empty() ? title : heading.text) + u"</a></li>\n";
  }
  if (toc.empty())
    toc = u"<li><a href=\"" + utf8ToUtf16(sectionName(0)) + u"\">" + escapeText(title) + u"</a></li>\n";
  zip.add("OEBPS/nav.xhtml",
          xhtmlDocument(
              title, u"<nav epub:type=\"toc\" id=\"toc\">\n<h1>目次</h1>\n<ol>\n" + toc + u"</ol>\n</nav>\n",
              true));

  std::string opf =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" unique-identifier=\"bookid\" "
      "xml:lang=\"ja\">\n"
      "  <metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
      "    <dc:identifier id=\"bookid\">" +
      bookIdentifier(title, document.author) +
      "</dc:identifier>\n"
      "    <dc:title>" +
      utf16ToUtf8(escapeText(title)) + "</dc:title>\n";
  if (!document.author.empty())
    opf += "    <dc:creator>" + utf16ToUtf8(escapeText(document.author)) + "</dc:creator>\n";
  opf += "    <dc:language>ja</dc:language>\n    <meta property=\"dcterms:modified\">" + modified +
         "</meta>\n  </metadata>\n  <manifest>\n"
         "    <item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>\n"
         "    <item id=\"style\" href=\"style.css\" media-type=\"text/css\"/>\n";
  for (std::size_t i = 0; i < sections.size(); ++i)
    opf += "    <item id=\"s" + std::to_string(i + 1) + "\" href=\"" + sectionName(i) +
           "\" media-type=\"application/xhtml+xml\"/>\n";
  const std::vector<const IllustrationFile*> stored = pictures.files();
  for (const IllustrationFile* picture : stored) {
    char name[48];
    std::snprintf(name, sizeof name, "images/image%04zu.", picture->number);
    const std::string path = name + picture->extension;
    opf += "    <item id=\"img" + std::to_string(picture->number) + "\" href=\"" + path + "\" media-type=\"" +
           picture->mediaType + "\"/>\n";
    zip.addBorrowed("OEBPS/" + path, picture->bytes, picture->mediaType == "image/svg+xml");
  }
  opf += "  </manifest>\n  <spine page-progression-direction=\"rtl\">\n";
  for (std::size_t i = 0; i < sections.size(); ++i)
    opf += "    <itemref idref=\"s" + std::to_string(i + 1) + "\"/>\n";
  opf += "  </spine>\n</package>\n";
  zip.add("OEBPS/content.opf", opf);
  if (!zip.close()) return false;
  pictures.release();
  return zip.finish(write);
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
    // The book goes to its staged file as it is read out of the archive.
    const bool written = writeEpub(settings_, document, modifiedNow(),
                                   [&](std::string_view piece) { return outputFiles_.append(path, piece); });
    if (!written && !outputFiles_.failure()) failure_ = FileFailure{path, "the book could not be zipped"};
    return written;
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
