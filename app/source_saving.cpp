// Saving the source text: the atomic write, the encodings, and the question
// before edited text is replaced.
#include "source_saving.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

namespace {

void syncFolder(const QString& folder) {
  const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

// A new file of a fresh hidden name in `folder`; -1 with errno set.
int createBeside(const QString& folder, const QString& prefix, QByteArray& name, mode_t mode) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    name = QFile::encodeName(QDir(folder).filePath(
        prefix + QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Whether a new file put in the place of `old` by a rename would be another
// file to its other names, its owner or its readers: a second hard link, an
// owner or group the new file cannot take, extended attributes (an ACL among
// them) or a folder where no new file can be made.
bool renameWouldChangeIt(const struct stat& old, const QByteArray& target, const QString& folder) {
  if (old.st_nlink > 1) return true;
  if (old.st_uid != ::geteuid() && ::geteuid() != 0) return true;
  if (::listxattr(target.constData(), nullptr, 0) > 0) return true;
  return ::access(QFile::encodeName(folder).constData(), W_OK) != 0;
}

// The file written where it is: its owner, group, mode, links and attributes
// stay as they are. A copy of the earlier bytes is kept beside it (or in the
// user's cache folder when its folder takes no new file) until the new bytes
// are on the disk, and they are put back when the write fails.
std::optional<QString> writeInPlace(const QByteArray& target, const QString& folder,
                                    const QByteArray& bytes) {
  QFile original(QFile::decodeName(target));
  if (!original.open(QIODevice::ReadOnly)) return systemReason(errno != 0 ? errno : EACCES);
  const QByteArray earlier = original.readAll();
  original.close();

  // Beside the file where its folder takes one; else in the user's cache
  // folder, else (a user without a home of their own) in the temporary folder.
  QStringList backupFolders{folder};
  if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
    backupFolders = {QDir::homePath() + QStringLiteral("/.cache/zelvato"), QDir::tempPath()};
  QByteArray backup;
  int copy = -1;
  int copyError = 0;
  for (const QString& backupFolder : backupFolders) {
    if (backupFolder != folder) QDir().mkpath(backupFolder);
    copy = createBeside(backupFolder, QStringLiteral(".zelvato-backup-"), backup, 0600);
    if (copy >= 0) break;
    if (copyError == 0) copyError = errno;
  }
  if (copy < 0) return systemReason(copyError);
  const bool kept = writeAll(copy, earlier) && ::fsync(copy) == 0;
  const int keepError = errno;
  ::close(copy);
  if (!kept) {
    ::unlink(backup.constData());
    return systemReason(keepError);
  }

  const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    const int error = errno;
    ::unlink(backup.constData());
    return systemReason(error);
  }
  const bool written = writeAll(fd, bytes) && ::ftruncate(fd, bytes.size()) == 0 && ::fsync(fd) == 0;
  const int writeError = errno;
  if (!written) {
    // The earlier bytes go back; the copy stays when even that fails.
    const bool restored = ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, earlier) &&
                          ::ftruncate(fd, earlier.size()) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    if (restored) ::unlink(backup.constData());
    return systemReason(writeError);
  }
  ::close(fd);
  ::unlink(backup.constData());
  return std::nullopt;
}

}  // namespace

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes) {
  QString target = path;
  const QFileInfo info(path);
  if (info.isSymLink() && info.exists()) target = info.canonicalFilePath();
  const QByteArray targetName = QFile::encodeName(target);
  const QString folder = QFileInfo(target).absolutePath();

  struct stat old {};
  const bool exists = ::stat(targetName.constData(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return QStringLiteral("not a regular file");
  if (exists && renameWouldChangeIt(old, targetName, folder)) return writeInPlace(targetName, folder, bytes);

  QByteArray temporary;
  // 0666 less the user's umask, as any new file of the user's.
  const int fd = createBeside(folder, QStringLiteral(".zelvato-save-"), temporary, 0666);
  if (fd < 0) return systemReason(errno);
  if (exists) {
    ::fchmod(fd, old.st_mode & 07777);
    struct stat made {};
    // The group (and for root the owner) goes with the file; where it cannot,
    // the file is written in place instead.
    if (::fstat(fd, &made) == 0 && (made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
      ::close(fd);
      ::unlink(temporary.constData());
      return writeInPlace(targetName, folder, bytes);
    }
    ::fchmod(fd, old.st_mode & 07777);  // a change of owner clears the set-id bits
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
  syncFolder(folder);
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
