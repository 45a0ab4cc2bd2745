// Loading the source text from a file: the Load command with its dialog, the
// reader on a worker thread, and a file dropped on the pane.
#include "source_loading.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QScopeGuard>
#include <QSettings>
#include <QTextCursor>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "app_texts.h"
#include "dialog_provider.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "io/file_system.h"
#include "options/option_table.h"
#include "read/source_decoding.h"
#include "settings_model.h"
#include "settings_store.h"
#include "source_saving.h"
#include "source_text_edit.h"
#include "text/messages.h"

namespace zelvato {
namespace {

using texts::toQString;

// A load is running; no second one (a drop while the first reads) is started.
bool loadRunning = false;

// A file read and decoded: the pane's text (line breaks as LF) and the file's form.
struct LoadedText {
  QString text;
  SourceFormat format;
  bool aozoraNotation = false;  // the text is written in Aozora Bunko's notation
};

// Aozora Bunko's notation: an annotation ［＃…］, ruby 《…》, or the header's
// table of the symbols a text uses.
bool usesAozoraNotation(const QString& text) {
  if (text.contains(QStringLiteral("［＃")) ||
      text.contains(QStringLiteral("【テキスト中に現れる記号について】")))
    return true;
  const qsizetype open = text.indexOf(u'《');
  return open >= 0 && text.indexOf(u'》', open) > open;
}

// The whole file, read and decoded; nothing when it cannot be read. Only plain
// files are read: a pipe or a device could keep the reader waiting for ever.
std::optional<LoadedText> readSource(const QString& path) {
  if (!QFileInfo(path).isFile()) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return std::nullopt;
  const DecodedSource decoded = decodeSource(std::string_view(bytes.constData(), bytes.size()));
  LoadedText loaded;
  loaded.format = decoded.format();
  qsizetype length = 0;
  for (const std::u16string& line : decoded.lines) length += static_cast<qsizetype>(line.size()) + 1;
  loaded.text.reserve(length);
  // The lines as the file has them: the last one ends with a line break only where the file's does.
  for (const std::u16string& line : decoded.lines) {
    if (&line != &decoded.lines.front()) loaded.text.append(u'\n');
    loaded.text.append(QString::fromStdU16String(line));
  }
  if (decoded.finalLineBreak) loaded.text.append(u'\n');
  loaded.aozoraNotation = usesAozoraNotation(loaded.text);
  return loaded;
}

// The read text goes into the pane in one step: it is where undo starts, and
// it is what the file holds, so nothing is edited yet.
void showLoadedText(ui::frmMain& window, const QString& path, const LoadedText& loaded) {
  ui::SourceTextEdit* pane = window.txtMain();
  pane->document()->setUndoRedoEnabled(false);
  pane->setPlainText(loaded.text);
  pane->document()->setUndoRedoEnabled(true);
  // The text is shown from its beginning, with the caret before its first character.
  pane->moveCursor(QTextCursor::Start);
  window.setSourceFile(QFileInfo(path).absoluteFilePath(), loaded.format);
  window.setSourceModified(false);
  if (const auto store = ui::openUserSettings()) {
    ui::rememberRecentFile(*store, QFileInfo(path).absoluteFilePath());
    window.setRecentFiles(ui::recentFiles(*store));
  }
}

// A text in Aozora Bunko's notation is read with it: 青空文庫注記 is switched
// on. True when it was off.
bool readAozoraNotation(ui::frmMain& window, const LoadedText& loaded) {
  const OptionEntry* option = findOption("aozoraNotation");
  if (!loaded.aozoraNotation || option == nullptr || window.settings().isChecked(*option)) return false;
  window.settings().editChecked(*option, true);
  return true;
}

// The busy state around the reading, and the messages of its outcome: shared
// by the Load command, a dropped file and a file named elsewhere.
void loadWithBusyState(ui::frmMain& window, const QString& path, std::function<void()> then = {}) {
  QPointer<ui::frmMain> alive(&window);
  // Disabling takes the keyboard away from the pane; it is given back afterwards.
  QPointer<QWidget> focused = window.focusWidget();
  loadRunning = true;
  showProgress(texts::loadingProgress, 0, QString(), false);
  window.setStatusText(texts::loadingStatus);
  window.setLoading(true);

  auto result = std::make_shared<std::optional<LoadedText>>();
  QThread* reader = QThread::create([path, result] { *result = readSource(path); });
  reader->setObjectName(QStringLiteral("sourceReader"));
  QObject::connect(reader, &QThread::finished, reader, &QObject::deleteLater);
  QObject::connect(reader, &QThread::finished, &window, [alive, focused, path, result, then] {
    hideProgress();
    loadRunning = false;
    if (!alive) return;
    ui::frmMain& w = *alive;
    QString status;
    if (*result) {
      showLoadedText(w, path, **result);
      status = texts::loadedIn.arg(toQString(encodingName((*result)->format.encoding)));
      if (readAozoraNotation(w, **result)) status += texts::aozoraNotationOn;
    }
    w.setStatusText(status);
    w.setLoading(false);
    if (focused && focused->isEnabled()) focused->setFocus(Qt::OtherFocusReason);
    if (!*result) w.dialogs().inform(&w, toQString(messages::readFailed), ui::MessageIcon::stop);
    if (then) then();
  });
  reader->start();
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
        if (window && window->txtMain()->isEnabled()) openNamedFile(*window, path);
      });
    }
    return true;
  }

 private:
  QPointer<ui::frmMain> window_;
};

}  // namespace

bool sourceLoading() {
  return loadRunning;
}

void openNamedFile(ui::frmMain& window, const QString& path) {
  if (!readyToOpenFiles(window)) {
    // A file handed over during a run or a load is opened once the window is free again.
    QTimer::singleShot(200, &window, [window = &window, path] { openNamedFile(*window, path); });
    return;
  }
  if (!keepEditsBeforeReplacing(window)) return;
  if (!fileExists(QFile::encodeName(path).toStdString())) {
    window.dialogs().inform(&window, toQString(messages::fileNotFound), ui::MessageIcon::stop);
    return;
  }
  window.showTab(ui::Tab::source);
  loadWithBusyState(window, path);
}

bool readyToOpenFiles(const ui::frmMain& window) {
  return !loadRunning && !window.isBusy();
}

void openHandedOverFiles(ui::frmMain& window, const QStringList& paths) {
  if (paths.isEmpty()) return;
  if (!readyToOpenFiles(window)) {
    // Handed over during a run or a load: asked about once the window is free again.
    QTimer::singleShot(200, &window, [window = &window, paths] { openHandedOverFiles(*window, paths); });
    return;
  }
  if (!keepEditsBeforeReplacing(window)) return;
  QString chosen = paths.front();
  if (paths.size() > 1) {
    QStringList shown;
    for (const QString& path : paths) shown.append(QDir::toNativeSeparators(path));
    const std::optional<int> index =
        window.dialogs().chooseItem(&window, texts::handedOverFiles.arg(paths.size()), shown, 0);
    if (!index || *index < 0 || *index >= paths.size()) return;
    chosen = paths.at(*index);
  }
  if (!fileExists(QFile::encodeName(chosen).toStdString())) {
    window.dialogs().inform(&window, toQString(messages::fileNotFound), ui::MessageIcon::stop);
    return;
  }
  window.showTab(ui::Tab::source);
  loadWithBusyState(window, chosen);
}

void openSourceFile(ui::frmMain& window, std::function<void()> then) {
  if (loadRunning) return;
  // Every way out that loads nothing goes on with `then` at once.
  auto ended = qScopeGuard([&then] {
    if (then) then();
  });
  window.showTab(ui::Tab::source);
  if (!keepEditsBeforeReplacing(window)) return;
  ui::FileRequest request;
  request.title = texts::sourceDialogTitle;
  request.filters = {texts::textFilesFilter, texts::allFilesFilter};
  request.selectedFilter = texts::textFilesFilter;
  request.defaultSuffix = texts::textFileSuffix;
  // A name typed for a file that is not there comes back, and is answered by the program's own message.
  const std::optional<ui::FileAnswer> chosen = window.dialogs().openFile(&window, request);
  if (!chosen) return;
  if (!fileExists(QFile::encodeName(chosen->path).toStdString())) {
    window.dialogs().inform(&window, toQString(messages::fileNotFound), ui::MessageIcon::stop);
    return;
  }
  ended.dismiss();
  loadWithBusyState(window, chosen->path, std::move(then));
}

bool loadSourceFile(ui::frmMain& window, const QString& path) {
  if (!fileExists(QFile::encodeName(path).toStdString())) {
    window.dialogs().inform(&window, toQString(messages::fileNotFound), ui::MessageIcon::stop);
    return false;
  }
  const std::optional<LoadedText> loaded = readSource(path);
  if (!loaded) return false;
  showLoadedText(window, path, *loaded);
  readAozoraNotation(window, *loaded);
  return true;
}

void installSourceFileDrop(ui::frmMain& window) {
  ui::SourceTextEdit* pane = window.txtMain();
  pane->setAcceptDrops(true);
  pane->viewport()->installEventFilter(new SourceFileDrop(window, pane));
}

}  // namespace zelvato
