// Loading the source text from a file: the Load command with its dialog, the
// reader that fills the source pane, and a file dropped on the pane.
#include "source_loading.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app_texts.h"
#include "codepage.h"
#include "event_loop_throttle.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "message_box.h"
#include "messages.h"
#include "pane_text.h"
#include "source_text_edit.h"

namespace zelvato {
namespace {

using texts::toQString;

constexpr int paneLimit = ui::SourceTextEdit::maximumLength;
// The read buffer goes into the pane once it holds this many code units, so a
// long file costs a few dozen updates of the pane rather than one per line.
constexpr int chunkLength = 3000;
// Only the head of a file is read: no code unit the pane can hold costs more
// than three bytes (UTF-8), so this holds more than the pane takes, with room
// for a byte-order mark and for a character cut at the end of the head.
constexpr qint64 headBytes = 256 * 1024;
static_assert(headBytes >= 3 * (paneLimit + 1) + 3 + 3);

// A load is running; no second one (a drop while the first yields) is started.
bool loadRunning = false;

// A UTF-8 character cut by the end of the head would make the head invalid
// UTF-8 and so read it as code page 932; the cut character is dropped.
void dropCutCharacter(std::string& bytes) {
  const std::size_t size = bytes.size();
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto c = static_cast<unsigned char>(bytes[size - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (length > back) bytes.resize(size - back);
    return;
  }
}

// The bytes the pane can show, from the start of the file; nothing when the
// file cannot be read. Only plain files are read: a pipe or a device could keep
// the reader waiting for ever.
std::optional<std::string> readHead(const QString& path) {
  if (!QFileInfo(path).isFile()) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(headBytes), '\0');
  qint64 got = 0;
  while (got < headBytes) {
    const qint64 n = file.read(bytes.data() + got, headBytes - got);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    got += n;
  }
  bytes.resize(static_cast<std::size_t>(got));
  if (got == headBytes) dropCutCharacter(bytes);
  return bytes;
}

// The last load had to leave text out because the pane was full.
bool lastLoadCut = false;
// The encoding the last load read its file in.
SourceEncoding lastLoadEncoding = SourceEncoding::utf8;

// Code units a character takes in the pane: a line break (and a paragraph
// separator, which the pane turns into one) is CR LF.
int paneWeight(QChar c) {
  return c == u'\n' || c == QChar::ParagraphSeparator ? 2 : 1;
}

int paneLength(const QString& text) {
  int length = 0;
  for (QChar c : text) length += paneWeight(c);
  return length;
}

// The head of `text` that fits `room` code units as the pane counts them; a
// surrogate pair is never split.
QString fitToRoom(const QString& text, int room) {
  int used = 0;
  qsizetype i = 0;
  for (; i < text.size(); ++i) {
    const int weight = paneWeight(text.at(i));
    if (used + weight > room) break;
    used += weight;
  }
  if (i > 0 && i < text.size() && text.at(i - 1).isHighSurrogate()) --i;
  return text.left(i);
}

// The busy state around the reading, and the messages of its outcome: shared
// by the Load command and a dropped file.
void loadWithBusyState(ui::frmMain& window, const QString& path) {
  QPointer<ui::frmMain> alive(&window);
  // Disabling takes the keyboard away from the pane; it is given back afterwards.
  QPointer<QWidget> focused = window.focusWidget();
  loadRunning = true;
  showProgress(texts::loadingProgress, 0, QString(), false);
  window.setStatusText(texts::loadingStatus);
  window.setLoading(true);

  bool loaded = false;
  try {
    loaded = loadSourceFile(window, path);
  } catch (...) {
    loaded = false;
  }

  hideProgress();
  loadRunning = false;
  if (!alive) return;
  window.setStatusText(loaded ? texts::loadedIn.arg(toQString(encodingName(lastLoadEncoding))) : QString());
  window.setLoading(false);
  if (focused && focused->isEnabled()) focused->setFocus(Qt::OtherFocusReason);

  if (!loaded) {
    ui::showMessage(&window, toQString(messages::readFailed), ui::MessageIcon::stop);
  } else if (lastLoadCut || window.sourceLength() >= paneLimit) {
    // A line break goes into the pane whole, so a cut text may stop one short of the limit.
    ui::showMessage(&window, texts::tooLong, ui::MessageIcon::warning);
  }
}

// A chosen or dropped file: missing, it is reported; there, it is loaded.
void loadChosenFile(ui::frmMain& window, const QString& path) {
  if (!fileExists(path.toStdString())) {
    ui::showMessage(&window, toQString(messages::fileNotFound), ui::MessageIcon::stop);
    return;
  }
  loadWithBusyState(window, path);
}

// What a drag holds for the source pane.
struct DraggedFiles {
  bool onlyLocalFiles = false;  // every URL names a local file or folder
  std::optional<QString> file;  // exactly one local file that is no folder
};

DraggedFiles draggedFiles(const QMimeData* data) {
  DraggedFiles result;
  if (data == nullptr || !data->hasUrls()) return result;
  const QList<QUrl> urls = data->urls();
  result.onlyLocalFiles = !urls.isEmpty() && std::all_of(urls.cbegin(), urls.cend(),
                                                         [](const QUrl& url) { return url.isLocalFile(); });
  if (result.onlyLocalFiles && urls.size() == 1) {
    const QString path = urls.first().toLocalFile();
    if (!QFileInfo(path).isDir()) result.file = path;
  }
  return result;
}

// Watches the source pane's viewport, where its drags arrive. One local file is
// loaded; several files or a folder are refused rather than typed into the
// pane as their addresses; every other drag (text above all) goes on to the
// pane as before.
class SourceFileDrop : public QObject {
 public:
  SourceFileDrop(ui::frmMain& window, QObject* parent) : QObject(parent), window_(&window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
      return QObject::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const DraggedFiles dragged = draggedFiles(drop->mimeData());
    if (!dragged.onlyLocalFiles) return QObject::eventFilter(watched, event);

    if (!dragged.file || !window_ || !window_->txtMain()->isEnabled()) {
      drop->ignore();
      return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
      // Loaded once the drop has ended, so the program the file came from is not kept waiting.
      QTimer::singleShot(0, window_, [window = window_, path = *dragged.file] {
        if (window && window->txtMain()->isEnabled() && !loadRunning) loadChosenFile(*window, path);
      });
    }
    return true;
  }

 private:
  QPointer<ui::frmMain> window_;
};

}  // namespace

void openSourceFile(ui::frmMain& window) {
  if (loadRunning) return;
  window.showTab(ui::Tab::source);
  // The dialog is shared with the output file chooser, so every property is set each time.
  QFileDialog* dialog = window.FileDialog();
  dialog->setOptions(QFileDialog::DontUseNativeDialog);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  // A name typed for a file that is not there comes back, and is answered by the program's own message.
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setWindowTitle(texts::sourceDialogTitle);
  dialog->setNameFilters({texts::textFilesFilter, texts::allFilesFilter});
  dialog->selectNameFilter(texts::textFilesFilter);
  dialog->setDefaultSuffix(texts::textFileSuffix);
  if (dialog->exec() != QDialog::Accepted) return;
  const QStringList chosen = dialog->selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return;
  loadChosenFile(window, chosen.first());
}

bool loadSourceFile(ui::frmMain& window, const QString& path) {
  if (!fileExists(path.toStdString())) {
    ui::showMessage(&window, toQString(messages::fileNotFound), ui::MessageIcon::stop);
    return false;
  }
  // The file is read before the pane is emptied, so a file that cannot be read
  // leaves the text the user had.
  const std::optional<std::string> head = readHead(path);
  if (!head) return false;
  lastLoadCut = false;
  const DecodedSource decoded = decodeSource(*head);
  const std::vector<std::u16string>& lines = decoded.lines;
  lastLoadEncoding = decoded.encoding;

  QPointer<ui::SourceTextEdit> pane(window.txtMain());
  QTextDocument* document = pane->document();
  // The loaded text is where undo starts; holding every chunk for undo would only cost memory.
  document->setUndoRedoEnabled(false);
  const auto undoBack = qScopeGuard([pane] {
    if (pane) pane->document()->setUndoRedoEnabled(true);
  });
  pane->clear();
  // The clipboard is left alone: what the user copied has nothing to do with the file.

  QString buffer;
  buffer.reserve(chunkLength + 512);
  int bufferLength = 0;  // counted as the pane counts, a line break as CR LF
  // Moves the buffer into the pane; false once the pane is full. What goes
  // beyond the limit is left out here rather than cut again by the pane.
  auto flush = [&] {
    const int room = paneLimit - pane->sourceLength();
    const bool fits = bufferLength <= room;
    ui::appendToPane(*pane, fits ? buffer : fitToRoom(buffer, room));
    buffer.clear();
    bufferLength = 0;
    if (!fits) lastLoadCut = true;
    return fits && pane->sourceLength() < paneLimit;
  };

  // The reader yields after every line; the first line yields at once, so the
  // progress window is drawn before the work goes on.
  EventLoopThrottle throttle;
  for (const std::u16string& line : lines) {
    const QString text = QString::fromStdU16String(line);
    buffer.append(text);
    buffer.append(u'\n');
    bufferLength += paneLength(text) + 2;

    if (throttle.yield() && !pane) return false;

    // Once the pane is full, reading on would change nothing.
    if (bufferLength >= chunkLength && !flush()) break;
  }
  flush();
  // The text is shown from its beginning, with the caret before its first character.
  pane->moveCursor(QTextCursor::Start);
  return true;
}

void installSourceFileDrop(ui::frmMain& window) {
  ui::SourceTextEdit* pane = window.txtMain();
  pane->setAcceptDrops(true);
  pane->viewport()->installEventFilter(new SourceFileDrop(window, pane));
}

}  // namespace zelvato
