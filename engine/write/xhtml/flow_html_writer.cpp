#include "write/xhtml/flow_html_writer.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>

#include "document/document_title.h"
#include "document/number_text.h"
#include "io/illustration_files.h"
#include "text/codepage.h"
#include "text/html_text.h"
#include "text/unicode_text.h"
#include "write/page_output.h"
#include "write/xhtml/reading_style.h"

namespace zelvato {
namespace {

std::u16string pageLink(const ConversionSettings& settings, std::int32_t pageNumber,
                        std::u16string_view caption) {
  return u"<a href=\"" +
         escapeAttribute(linkPath(settings.fileBaseName + formatNumber(pageNumber, 3) + u".html")) + u"\">" +
         std::u16string(caption) + u"</a>";
}

// The foot of a page file: links and page number as the page options ask.
std::u16string flowPageFooter(const ConversionSettings& settings, std::int32_t pageNumber, bool lastPage) {
  if (!settings.addPageLinks && !settings.addPageNumbers) return {};
  std::u16string footer = u"<nav class=\"pages\">";
  if (settings.addPageLinks && pageNumber > 1) footer += pageLink(settings, pageNumber - 1, u"前頁へ") + u" ";
  if (settings.addPageNumbers) footer += u"- " + formatNumber(pageNumber, 1) + u"頁 -";
  if (settings.addPageLinks && !lastPage) footer += u" " + pageLink(settings, pageNumber + 1, u"次頁へ");
  return footer + u"</nav>\n";
}

// The sections as a page in `pageFolder` shows them: `pictureLink` gives an
// illustration's link from there. The page files are cut as the book is: at
// page breaks, before headings in a text without page breaks, and at about 100 KB.
XhtmlOptions flowOptions(
    const ConversionSettings& settings, const Document& document, const std::string& pageFolder,
    const std::function<std::optional<std::u16string>(std::u16string_view, const std::string&)>&
        pictureLink) {
  XhtmlOptions options;
  const bool vertical = settings.writingMode == WritingMode::vertical;
  options.tateChuYoko = settings.tateChuYoko && vertical;
  options.horizontal = !vertical;
  options.editorNotes = settings.showEditorNotes;
  options.titlePage = true;
  options.colophon = settings.aozoraNotation;
  options.cutAtBytes = sectionBytes;
  options.cutAtHeadings = true;
  for (const Paragraph& paragraph : document.paragraphs)
    if (paragraph.style.breakBefore != PageBreak::none && paragraph.style.breakBefore != PageBreak::column)
      options.cutAtHeadings = false;
  if (!settings.sourceFolder.empty())
    // The options may outlive the call: the link is kept, not referred to.
    options.illustrationLink = [pictureLink, pageFolder](std::u16string_view target) {
      return pictureLink(target, pageFolder);
    };
  return options;
}

}  // namespace

std::u16string flowHtmlPage(const ConversionSettings& settings, const Document& document,
                            std::u16string_view body, std::u16string_view footer) {
  const std::u16string_view charset =
      settings.outputEncoding == OutputEncoding::utf8 ? u"UTF-8" : u"Shift_JIS";
  std::u16string page =
      u"<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"" + std::u16string(charset) +
      u"\">\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
      escapeText(settings.htmlTitle) + u"</title>\n";
  if (!document.author.empty())
    page += u"<meta name=\"author\" content=\"" + escapeAttribute(document.author) + u"\">\n";
  page += u"<meta name=\"generator\" content=\"" + generatorName() + u"\">\n<style>\n" +
          readingStyleSheet(settings, ReadingMedium::flowingPage) + u"</style>\n</head>\n<body>\n<main>\n";
  page += body;
  page += footer;
  page += u"</main>\n</body>\n</html>\n";
  return page;
}

FlowHtmlWriter::FlowHtmlWriter(const WriterContext& context, PageDestination destination)
    : settings_(context.settings),
      destination_(destination),
      previewFilePath_(context.previewFilePath),
      host_(context.host),
      outputFiles_(context.staging) {
  outputFiles_.stopWhen([&host = host_] {
    host.yieldToEvents();
    return host.stopRequested();
  });
}

std::optional<FileFailure> FlowHtmlWriter::failure() const {
  return outputFiles_.failure();
}

bool FlowHtmlWriter::writeFile(const std::string& path, const std::u16string& page) {
  return outputFiles_.begin(path) && outputFiles_.append(path, encodePage(settings_, page));
}

bool FlowHtmlWriter::begin(const Document& document) {
  try {
    settings_ = withDocumentTitle(settings_, document);
    // The pictures of illustrations are linked from the folder of the page
    // that shows them: a page written into another folder is made again.
    const std::string previewFolder = previewFilePath_.empty() ? "." : folderOfPath(previewFilePath_);
    // Each picture is read once for every page of the run.
    IllustrationFiles pictures(settings_.sourceFolder,
                               settings_.forcePictures ? UINT64_MAX : maxRunPictureBytes);
    const auto pictureLink = [&](std::u16string_view target, const std::string& folder) {
      return this->pictureLink(pictures, target, folder);
    };
    XhtmlOptions options = flowOptions(settings_, document, previewFolder, pictureLink);
    // The marks are the window's own, in its preview only; the files of the run never have them.
    const bool marked = settings_.previewMarks && !previewFilePath_.empty();
    options.sourceMarks = marked && destination_ == PageDestination::previewOnly;
    const std::vector<XhtmlSection> sections = xhtmlSections(document, options);
    if (pictureFailed_) return false;
    const auto sectionsIn = [&](const std::string& folder) {
      return settings_.sourceFolder.empty() || folder == previewFolder
                 ? sections
                 : xhtmlSections(document, flowOptions(settings_, document, folder, pictureLink));
    };
    const auto wholePage = [&](const std::vector<XhtmlSection>& parts) {
      std::u16string whole;
      for (const XhtmlSection& section : parts) whole += section.body;
      return flowHtmlPage(settings_, document, whole);
    };
    const std::u16string page = wholePage(sections);
    std::u16string markedPage;
    if (marked && !options.sourceMarks) {
      options.sourceMarks = true;
      markedPage = wholePage(xhtmlSections(document, options));
    }
    // The preview is staged like the outputs: its generator line, then this page.
    if (!previewFilePath_.empty() &&
        !(outputFiles_.begin(previewFilePath_) &&
          outputFiles_.append(
              previewFilePath_,
              previewStart(settings_) + encodePage(settings_, markedPage.empty() ? page : markedPage))))
      return false;
    if (destination_ == PageDestination::singleFile) {
      const std::string path = textToPath(settings_.singleFilePath);
      const std::string folder = folderOfPath(path);
      if (!writeFile(path, folder == previewFolder || settings_.sourceFolder.empty()
                               ? page
                               : wholePage(sectionsIn(folder))))
        return false;
    }
    if (destination_ == PageDestination::pageFiles) {
      const std::vector<XhtmlSection> pages =
          sectionsIn(folderOfPath(textToPath(pageFileName(settings_, 1))));
      const auto count = static_cast<std::int32_t>(pages.size());
      for (std::int32_t n = 1; n <= count; ++n) {
        const XhtmlSection& section = pages[static_cast<std::size_t>(n - 1)];
        // A page that begins with a heading is named after it.
        ConversionSettings pageSettings = settings_;
        if (!section.openingHeading.empty()) pageSettings.htmlTitle = section.openingHeading;
        const std::u16string file =
            flowHtmlPage(pageSettings, document, section.body, flowPageFooter(settings_, n, n == count));
        if (!writeFile(textToPath(pageFileName(settings_, n)), file)) return false;
      }
      // Pages of an earlier, longer run would follow the new last page.
      if (count > 0)
        outputFiles_.retireStalePages(folderOfPath(textToPath(pageFileName(settings_, count))),
                                      textToPath(settings_.fileBaseName), count);
    }
    if (pictureFailed_) return false;
    host_.blockMarkupFinished(page);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// A picture that lies in the page's folder (or below) is linked where it
// lies; any other is copied beside the page, into its folder's images/, and
// staged with the page, so that no link climbs out of the page's folder.
std::optional<std::u16string> FlowHtmlWriter::pictureLink(IllustrationFiles& pictures,
                                                          std::u16string_view target,
                                                          const std::string& pageFolder) {
  namespace fs = std::filesystem;
  const IllustrationFile* picture = pictures.find(target);
  if (picture == nullptr) return std::nullopt;
  std::error_code error;
  const fs::path folder = fs::weakly_canonical(fs::absolute(fs::path(pageFolder), error), error);
  const fs::path within = fs::path(picture->path).lexically_relative(folder);
  if (!error && !within.empty() && *within.begin() != "..")
    return illustrationLink(picture->path, pageFolder);
  char name[48];
  std::snprintf(name, sizeof name, "image%04zu.", picture->number);
  const std::string images = inFolder(pageFolder, "images");
  const std::string copy = inFolder(images, name + picture->extension);
  if (copied_.insert(copy).second) {
    if (::mkdir(images.c_str(), 0777) != 0 && errno != EEXIST) pictureFailed_ = true;
    if (pictureFailed_ || !outputFiles_.begin(copy) || !outputFiles_.append(copy, picture->bytes)) {
      pictureFailed_ = true;
      return std::nullopt;
    }
  }
  return u"images/" + utf8ToUtf16(name + picture->extension);
}

bool FlowHtmlWriter::finish(bool completed) {
  if (finished_) return true;
  finished_ = true;
  return outputFiles_.conclude(completed);
}

}  // namespace zelvato
