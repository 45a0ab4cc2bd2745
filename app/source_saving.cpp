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

std::optional<QByteArray> encodeSourceText(const QString& text, SourceEncoding encoding) {
  if (encoding == SourceEncoding::cp932) {
    const std::u16string units = text.toStdU16String();
    const std::string bytes = encodeCp932(units);
    // A character outside the code page would come back as a character reference.
    if (decodeCp932(bytes) != units) return std::nullopt;
    return QByteArray::fromStdString(bytes);
  }
  QByteArray bytes = text.toUtf8();
  if (encoding == SourceEncoding::utf8Bom) bytes.prepend("\xEF\xBB\xBF");
  return bytes;
}

bool saveSourceTo(ui::frmMain& window, const QString& path, SourceEncoding encoding) {
  const QString text = window.sourceText();
  std::optional<QByteArray> bytes = encodeSourceText(text, encoding);
  if (!bytes) {
    window.dialogs().inform(&window, texts::notShiftJis, ui::MessageIcon::warning);
    encoding = SourceEncoding::utf8;
    bytes = encodeSourceText(text, encoding);
  }
  if (const std::optional<QString> failure = writeFileAtomically(path, *bytes)) {
    const QString message =
        texts::saveFailed.arg(QDir::toNativeSeparators(path) + QStringLiteral(": ") + *failure);
    window.setStatusText(message);
    window.dialogs().inform(&window, message, ui::MessageIcon::stop);
    return false;
  }
  window.setSourceFile(path, encoding);
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
  return saveSourceTo(window, chosen->path, encoding);
}

bool saveSource(ui::frmMain& window) {
  if (window.sourceFilePath().isEmpty()) return saveSourceAs(window);
  SourceEncoding encoding = window.sourceEncoding();
  // UTF-16 and UTF-32 files are saved as UTF-8, one of the two the program writes.
  if (encoding != SourceEncoding::cp932 && encoding != SourceEncoding::utf8Bom)
    encoding = SourceEncoding::utf8;
  return saveSourceTo(window, window.sourceFilePath(), encoding);
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
