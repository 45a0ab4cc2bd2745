// The recovery journal: unsaved text kept on disk while the window runs, and
// offered back after a crash.
#include "recovery_journal.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>

#include "app_texts.h"
#include "dialog_provider.h"
#include "frm_main.h"
#include "source_saving.h"
#include "source_text_edit.h"

namespace zelvato {
namespace {

const QString fileKind = QStringLiteral("zelvato-recovery");
constexpr int fileVersion = 1;
// Typing that stops this long is journaled.
constexpr int idleMs = 2000;

constexpr int encodingCount = static_cast<int>(SourceEncoding::cp932) + 1;
constexpr int lineEndCount = static_cast<int>(LineEnd::cr) + 1;

// The journal of one window: the file named after this process and a random
// tag, so that a later process, even under the same id, never takes over a
// file a crash left.
class RecoveryJournal final : public QObject {
 public:
  explicit RecoveryJournal(ui::frmMain& window)
      : QObject(&window), window_(&window), document_(window.txtMain()->document()) {
    setObjectName(QStringLiteral("recoveryJournal"));
    path_ = QDir(recoveryFolder())
                .filePath(QStringLiteral("recovery-%1-%2.json")
                              .arg(QCoreApplication::applicationPid())
                              .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    idle_ = new QTimer(this);
    idle_->setSingleShot(true);
    idle_->setInterval(idleMs);
    connect(idle_, &QTimer::timeout, this, &RecoveryJournal::write);
    connect(document_, &QTextDocument::contentsChanged, this, [this] {
      // Text that holds nothing unsaved (cleared, replaced by a file) leaves no journal.
      if (!document_->isModified() || document_->isEmpty()) {
        forget();
        return;
      }
      pending_ = true;
      idle_->start();
    });
    // Saved, discarded or replaced by a loaded file: nothing is left to recover.
    connect(document_, &QTextDocument::modificationChanged, this, [this](bool modified) {
      if (!modified) forget();
    });
    window.installEventFilter(this);
  }

  // A window that closes normally leaves nothing behind; a crash never gets here.
  ~RecoveryJournal() override { forget(); }

  QString path() const { return path_; }

  bool write() {
    idle_->stop();
    if (!window_ || !document_) return false;
    // Nothing new since the last write, and that write is still there.
    if (!pending_ && QFile::exists(path_)) return false;
    pending_ = false;
    if (!window_->sourceModified()) {
      forget();
      return false;
    }
    RecoveredText text;
    // The pane's own reading: a long line it shows in pieces is one line.
    text.text = window_->txtMain()->toPlainText();
    text.sourcePath = window_->sourceFilePath();
    text.format = window_->sourceFormat();
    // The text is the user's alone: the folder is private.
    const QString folder = recoveryFolder();
    if (!QDir().mkpath(folder)) return false;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // A failed write keeps the edit pending, for the next pause or focus loss.
    if (writeFileAtomically(path_, recoveryFileBytes(text))) {
      pending_ = true;
      return false;
    }
    return true;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::WindowDeactivate) write();
    return QObject::eventFilter(watched, event);
  }

 private:
  void forget() {
    idle_->stop();
    pending_ = false;
    QFile::remove(path_);
  }

  QPointer<ui::frmMain> window_;
  QPointer<QTextDocument> document_;
  QString path_;
  QTimer* idle_;
  bool pending_ = false;
};

RecoveryJournal* journalOf(ui::frmMain& window) {
  return window.findChild<RecoveryJournal*>(QStringLiteral("recoveryJournal"), Qt::FindDirectChildrenOnly);
}

// The question names the text by its file, or as a new text, and by when it was last journaled.
QString recoveryQuestion(const RecoveredText& text) {
  const QString name =
      text.sourcePath.isEmpty() ? texts::untitledText : QFileInfo(text.sourcePath).fileName();
  const QString when =
      QFileInfo(text.journalPath).lastModified().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
  return texts::recoverQuestion.arg(name, when);
}

void restore(ui::frmMain& window, const RecoveredText& text) {
  window.showTab(ui::Tab::source);
  window.txtMain()->setPlainText(text.text);
  window.txtMain()->moveCursor(QTextCursor::Start);
  window.setSourceFile(text.sourcePath, text.format);
  // Restored text is unsaved text: the user is asked before it is lost again.
  window.setSourceModified(true);
  window.setStatusText(texts::textRecovered);
}

}  // namespace

QString recoveryFolder() {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  // A relative path is to be ignored, as for every XDG folder.
  if (state.isEmpty() || QDir::isRelativePath(state))
    state = QDir::home().filePath(QStringLiteral(".local/state"));
  return QDir(state).filePath(QStringLiteral("zelvato/recovery"));
}

QByteArray recoveryFileBytes(const RecoveredText& text) {
  QJsonObject object;
  object.insert(QStringLiteral("kind"), fileKind);
  object.insert(QStringLiteral("version"), fileVersion);
  object.insert(QStringLiteral("file"), text.sourcePath);
  object.insert(QStringLiteral("encoding"), static_cast<int>(text.format.encoding));
  object.insert(QStringLiteral("lineEnd"), static_cast<int>(text.format.lineEnd));
  QJsonArray forms;
  for (const auto& [own, used] : text.format.cp932Forms) forms.append(QJsonArray{own, used});
  object.insert(QStringLiteral("cp932Forms"), forms);
  object.insert(QStringLiteral("text"), text.text);
  return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<RecoveredText> parseRecoveryFile(const QByteArray& bytes) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
  const QJsonObject object = document.object();
  if (object.value(QStringLiteral("kind")).toString() != fileKind ||
      object.value(QStringLiteral("version")).toInt() != fileVersion ||
      !object.value(QStringLiteral("text")).isString())
    return std::nullopt;
  RecoveredText text;
  text.text = object.value(QStringLiteral("text")).toString();
  text.sourcePath = object.value(QStringLiteral("file")).toString();
  const int encoding = object.value(QStringLiteral("encoding")).toInt(-1);
  const int lineEnd = object.value(QStringLiteral("lineEnd")).toInt(-1);
  if (encoding < 0 || encoding >= encodingCount || lineEnd < 0 || lineEnd >= lineEndCount)
    return std::nullopt;
  text.format.encoding = static_cast<SourceEncoding>(encoding);
  text.format.lineEnd = static_cast<LineEnd>(lineEnd);
  for (const QJsonValue form : object.value(QStringLiteral("cp932Forms")).toArray()) {
    const QJsonArray pair = form.toArray();
    const int own = pair.at(0).toInt(-1), used = pair.at(1).toInt(-1);
    if (pair.size() != 2 || own < 0 || own > 0xFFFF || used < 0 || used > 0xFFFF) return std::nullopt;
    text.format.cp932Forms.emplace(static_cast<std::uint16_t>(own), static_cast<std::uint16_t>(used));
  }
  return text;
}

QStringList leftRecoveryFiles() {
  QDir folder(recoveryFolder());
  const QFileInfoList found =
      folder.entryInfoList({QStringLiteral("recovery-*.json")}, QDir::Files, QDir::Time);
  QStringList paths;
  for (const QFileInfo& file : found) paths.append(file.absoluteFilePath());
  // The files of this process are its own journal, never something to recover.
  const QString own = QStringLiteral("recovery-%1-").arg(QCoreApplication::applicationPid());
  paths.erase(std::remove_if(paths.begin(), paths.end(),
                             [&own](const QString& p) { return QFileInfo(p).fileName().startsWith(own); }),
              paths.end());
  return paths;
}

void installRecoveryJournal(ui::frmMain& window) {
  if (journalOf(window) == nullptr) new RecoveryJournal(window);
}

bool writeRecoveryJournalNow(ui::frmMain& window) {
  RecoveryJournal* journal = journalOf(window);
  return journal != nullptr && journal->write();
}

void offerRecoveredTexts(ui::frmMain& window) {
  for (const QString& path : leftRecoveryFiles()) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    std::optional<RecoveredText> text = parseRecoveryFile(file.readAll());
    file.close();
    // A damaged file is left where it is, for the user to look at.
    if (!text) continue;
    text->journalPath = path;
    const ui::MessageAnswer answer = window.dialogs().message(
        &window, recoveryQuestion(*text), ui::MessageIcon::question, ui::MessageButtons::restoreDiscard);
    if (answer == ui::MessageAnswer::discard) {
      QFile::remove(path);
    } else if (answer == ui::MessageAnswer::restore) {
      restore(window, *text);
      // The restored text is journaled by this window before the old file goes.
      writeRecoveryJournalNow(window);
      QFile::remove(path);
      return;
    }
  }
}

}  // namespace zelvato
