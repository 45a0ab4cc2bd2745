// Saving the source text: the atomic write, the encodings, and the question
// before edited text is replaced.
#include "source_saving.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

#include "app_texts.h"
#include "dialog_provider.h"
#include "frm_main.h"
#include "source_text_edit.h"
#include "text/codepage.h"

namespace zelvato {

namespace {

QString systemReason(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

bool writeAll(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes) {
  QString target = path;
  const QFileInfo info(path);
  if (info.isSymLink() && info.exists()) target = info.canonicalFilePath();
  const QByteArray targetName = QFile::encodeName(target);
  const QString folder = QFileInfo(target).absolutePath();

  int fd = -1;
  QByteArray temporary;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temporary = QFile::encodeName(
        QDir(folder).filePath(QStringLiteral(".zelvato-save-%1")
                                  .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))));
    // 0666 less the user's umask, as any new file of the user's.
    fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0 && errno != EEXIST) return systemReason(errno);
  }
  if (fd < 0) return systemReason(EEXIST);

  struct stat old {};
  if (::stat(targetName.constData(), &old) == 0) {
    if (!S_ISREG(old.st_mode)) {
      ::close(fd);
      ::unlink(temporary.constData());
      return QStringLiteral("not a regular file");
    }
    ::fchmod(fd, old.st_mode & 07777);
  }
  const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
  const int writeError = errno;
  if (::close(fd) != 0 || !written) {
    ::unlink(temporary.constData());
    return systemReason(written ? errno : writeError);
  }
  if (::rename(temporary.constData(), targetName.constData()) != 0) {
    const int error = errno;
    ::unlink(temporary.constData());
    return systemReason(error);
  }
  // The rename itself reaches the disk with the folder.
  const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return std::nullopt;
}

namespace {

// UTF-16 and UTF-32 in the byte order given, after their byte-order mark.
QByteArray encodeWide(const QString& text, int width, bool bigEndian) {
  QByteArray bytes;
  const QList<uint> characters = (QStringLiteral("\uFEFF") + text).toUcs4();
  bytes.reserve(characters.size() * width);
  const auto put = [&](uint unit, int size) {
    for (int k = 0; k < size; ++k) {
      const int shift = 8 * (bigEndian ? size - 1 - k : k);
      bytes.append(static_cast<char>((unit >> shift) & 0xFF));
    }
  };
  for (const uint c : characters) {
    if (width == 4 || c < 0x10000) {
      put(c, width);
    } else {
      put(0xD800 + ((c - 0x10000) >> 10), 2);
      put(0xDC00 + ((c - 0x10000) & 0x3FF), 2);
    }
  }
  return bytes;
}

}  // namespace

std::optional<QByteArray> encodeSourceText(const QString& paneText, const SourceFormat& format) {
  QString text = paneText;
  if (format.lineEnd == LineEnd::crlf) text.replace(u'\n', QStringLiteral("\r\n"));
  if (format.lineEnd == LineEnd::cr) text.replace(u'\n', u'\r');
  switch (format.encoding) {
    case SourceEncoding::cp932: {
      const std::u16string units = text.toStdU16String();
      // A character outside the code page would come back as a character reference.
      if (decodeCp932(encodeCp932(units)) != units) return std::nullopt;
      return QByteArray::fromStdString(encodeCp932(units, format.cp932Forms));
    }
    case SourceEncoding::utf16le:
      return encodeWide(text, 2, false);
    case SourceEncoding::utf16be:
      return encodeWide(text, 2, true);
    case SourceEncoding::utf32le:
      return encodeWide(text, 4, false);
    case SourceEncoding::utf32be:
      return encodeWide(text, 4, true);
    case SourceEncoding::utf8Bom:
      return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case SourceEncoding::utf8:
      break;
  }
  return text.toUtf8();
}

bool saveSourceTo(ui::frmMain& window, const QString& path, SourceEncoding encoding) {
  const QString text = window.txtMain()->toPlainText();
  // The text keeps its line break, and its code page's forms while it stays in the code page.
  SourceFormat format = window.sourceFormat();
  if (encoding != format.encoding) format.cp932Forms.clear();
  format.encoding = encoding;
  std::optional<QByteArray> bytes = encodeSourceText(text, format);
  if (!bytes) {
    window.dialogs().inform(&window, texts::notShiftJis, ui::MessageIcon::warning);
    format.encoding = encoding = SourceEncoding::utf8;
    format.cp932Forms.clear();
    bytes = encodeSourceText(text, format);
  }
  if (const std::optional<QString> failure = writeFileAtomically(path, *bytes)) {
    const QString message =
        texts::saveFailed.arg(QDir::toNativeSeparators(path) + QStringLiteral(": ") + *failure);
    window.setStatusText(message);
    window.dialogs().inform(&window, message, ui::MessageIcon::stop);
    return false;
  }
  window.setSourceFile(path, format);
  window.setSourceModified(false);
  window.setStatusText(texts::savedAs.arg(texts::toQString(encodingName(encoding))));
  return true;
}

bool saveSourceAs(ui::frmMain& window) {
  ui::FileRequest request;
  request.title = texts::saveSourceTitle;
  request.filters = {texts::shiftJisFilter, texts::utf8Filter};
  // The text keeps its encoding unless the user chooses the other; Shift_JIS
  // is the program's own, and the first choice for a new text.
  const bool unicode = !window.sourceFilePath().isEmpty() && window.sourceEncoding() != SourceEncoding::cp932;
  request.selectedFilter = unicode ? texts::utf8Filter : texts::shiftJisFilter;
  request.defaultSuffix = texts::textFileSuffix;
  request.startPath = window.sourceFilePath();
  request.confirmOverwrite = true;
  const std::optional<ui::FileAnswer> chosen = window.dialogs().saveFile(&window, request);
  if (!chosen) return false;
  SourceEncoding encoding = SourceEncoding::cp932;
  if (chosen->filter == texts::utf8Filter)
    encoding =
        window.sourceEncoding() == SourceEncoding::utf8Bom ? SourceEncoding::utf8Bom : SourceEncoding::utf8;
  return saveSourceTo(window, ui::withDefaultSuffix(chosen->path, request.defaultSuffix), encoding);
}

bool saveSource(ui::frmMain& window) {
  if (window.sourceFilePath().isEmpty()) return saveSourceAs(window);
  return saveSourceTo(window, window.sourceFilePath(), window.sourceEncoding());
}

bool keepEditsBeforeReplacing(ui::frmMain& window) {
  if (!window.sourceModified()) return true;
  switch (window.dialogs().message(&window, texts::keepEditsQuestion, ui::MessageIcon::warning,
                                   ui::MessageButtons::saveDiscardCancel)) {
    case ui::MessageAnswer::save:
      return saveSource(window);
    case ui::MessageAnswer::discard:
      return true;
    default:
      return false;
  }
}

}  // namespace zelvato
