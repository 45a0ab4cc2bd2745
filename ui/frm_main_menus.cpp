// The main window's menus and keys, the find bar, the help window and the
// automatic preview's timer.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "frm_main.h"
#include "frm_main_texts.h"
#include "program_identity.h"
#include "source_text_edit.h"

namespace zelvato::ui {

namespace {

// Enter finds the next match, Shift+Enter the previous one, Esc closes the bar.
class FindKeys final : public QObject {
 public:
  FindKeys(frmMain& window, QWidget* bar) : QObject(bar), window_(window), bar_(bar) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      window_.findInSource(key->modifiers() & Qt::ShiftModifier);
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      bar_->hide();
      window_.txtMain()->setFocus(Qt::OtherFocusReason);
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  frmMain& window_;
  QWidget* bar_;
};

}  // namespace

void frmMain::buildMenus() {
  // The toolbar's commands carry their keys, so the keys work wherever the keyboard is.
  commandButton(Command::newText)->setShortcut(QKeySequence::New);
  commandButton(Command::load)->setShortcut(QKeySequence::Open);
  commandButton(Command::convert)->setShortcut(Qt::Key_F5);
  commandButton(Command::stop)->setShortcut(Qt::Key_Escape);
  // Esc stops a run also while the progress window is the active one; Stop is
  // enabled only during a run, so Esc keeps its meaning elsewhere.
  commandButton(Command::stop)->setShortcutContext(Qt::ApplicationShortcut);
  commandButton(Command::help)->setShortcut(Qt::Key_F1);

  struct Item {
    MenuCommand command;
    const QString& text;
    QKeySequence key;
    const char* name;
  };
  const Item items[] = {
      {MenuCommand::save, texts::menuSave, QKeySequence(Qt::CTRL | Qt::Key_S), "mnuSave"},
      {MenuCommand::saveAs, texts::menuSaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), "mnuSaveAs"},
      {MenuCommand::quit, texts::menuQuit, QKeySequence(Qt::CTRL | Qt::Key_Q), "mnuQuit"},
      {MenuCommand::find, texts::menuFind, QKeySequence(Qt::CTRL | Qt::Key_F), "mnuFind"},
      {MenuCommand::findNext, texts::menuFindNext, QKeySequence(Qt::Key_F3), "mnuFindNext"},
      {MenuCommand::findPrevious, texts::menuFindPrevious, QKeySequence(Qt::SHIFT | Qt::Key_F3),
       "mnuFindPrevious"},
      {MenuCommand::restoreDefaults, texts::menuDefaults, QKeySequence(), "mnuDefaults"},
      {MenuCommand::savePreset, texts::menuSavePreset, QKeySequence(), "mnuSavePreset"},
  };
  for (const Item& item : items) {
    auto* action = new QAction(item.text, this);
    action->setObjectName(QLatin1String(item.name));
    action->setShortcut(item.key);
    const MenuCommand command = item.command;
    connect(action, &QAction::triggered, this, [this, command] { Q_EMIT menuCommandTriggered(command); });
    menuCommands_[static_cast<std::size_t>(command)] = action;
  }
  const auto menuAction = [this](MenuCommand c) { return menuCommand(c); };

  QMenu* file = menuBar()->addMenu(texts::menuFile);
  file->setObjectName(QStringLiteral("mnuFile"));
  file->addAction(commandButton(Command::newText));
  file->addAction(commandButton(Command::load));
  file->addAction(menuAction(MenuCommand::save));
  file->addAction(menuAction(MenuCommand::saveAs));
  file->addAction(commandButton(Command::saveHtml));
  mnuRecent_ = file->addMenu(texts::menuRecent);
  mnuRecent_->setObjectName(QStringLiteral("mnuRecent"));
  file->addSeparator();
  file->addAction(menuAction(MenuCommand::quit));

  QMenu* edit = menuBar()->addMenu(texts::menuEdit);
  edit->setObjectName(QStringLiteral("mnuEdit"));
  edit->addAction(menuAction(MenuCommand::find));
  edit->addAction(menuAction(MenuCommand::findNext));
  edit->addAction(menuAction(MenuCommand::findPrevious));

  QMenu* convert = menuBar()->addMenu(texts::menuConvert);
  convert->setObjectName(QStringLiteral("mnuConvert"));
  convert->addAction(commandButton(Command::convert));
  convert->addAction(commandButton(Command::stop));

  QMenu* settings = menuBar()->addMenu(texts::menuSettings);
  settings->setObjectName(QStringLiteral("mnuSettings"));
  settings->addAction(menuAction(MenuCommand::restoreDefaults));
  mnuPresets_ = settings->addMenu(texts::menuPresets);
  mnuPresets_->setObjectName(QStringLiteral("mnuPresets"));
  settings->addAction(menuAction(MenuCommand::savePreset));

  QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  help->setObjectName(QStringLiteral("mnuHelp"));
  help->addAction(commandButton(Command::help));

  mnuVersion_ = menuBar()->addAction(texts::menuVersion);
  mnuVersion_->setObjectName(QStringLiteral("mnuVersion"));
  setRecentFiles({});

  autoPreviewTimer_ = new QTimer(this);
  autoPreviewTimer_->setObjectName(QStringLiteral("autoPreviewTimer"));
  autoPreviewTimer_->setSingleShot(true);
  autoPreviewTimer_->setInterval(500);
  connect(autoPreviewTimer_, &QTimer::timeout, this, [this] {
    if (chkAutoPreview_->isChecked()) Q_EMIT autoPreviewDue();
  });
}

QAction* frmMain::menuCommand(MenuCommand command) const {
  return menuCommands_[static_cast<std::size_t>(command)];
}

void frmMain::setRecentFiles(const QStringList& paths) {
  mnuRecent_->clear();
  int number = 1;
  for (const QString& path : paths) {
    QAction* action =
        mnuRecent_->addAction(QStringLiteral("&%1 %2").arg(number % 10).arg(QFileInfo(path).fileName()));
    action->setToolTip(path);
    action->setData(path);
    action->setObjectName(QStringLiteral("mnuRecentFile(%1)").arg(number));
    connect(action, &QAction::triggered, this, [this, path] { Q_EMIT recentFileChosen(path); });
    ++number;
  }
  mnuRecent_->setEnabled(!paths.isEmpty());
}

void frmMain::showHelpPage(const QString& path) {
  if (helpWindow_ == nullptr) {
    // A window of its own, so the preview keeps the result.
    helpWindow_ = new QWidget(this, Qt::Window);
    helpWindow_->setObjectName(QStringLiteral("frmHelp"));
    helpWindow_->setWindowTitle(texts::helpWindowTitle);
    auto* view = new QWebEngineView(helpWindow_);
    view->setObjectName(QStringLiteral("brwHelp"));
    auto* layout = new QVBoxLayout(helpWindow_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    helpWindow_->resize(720, 600);
  }
  auto* view = helpWindow_->findChild<QWebEngineView*>(QStringLiteral("brwHelp"));
  view->load(QUrl::fromLocalFile(path));
  helpWindow_->show();
  helpWindow_->raise();
  helpWindow_->activateWindow();
}

void frmMain::buildFindBar(QWidget* page) {
  findBar_ = new QWidget(page);
  findBar_->setObjectName(QStringLiteral("findBar"));
  auto* row = new QHBoxLayout(findBar_);
  row->setContentsMargins(2, 2, 2, 2);
  row->addWidget(new QLabel(texts::findLabel, findBar_));
  txtFind_ = new QLineEdit(findBar_);
  txtFind_->setObjectName(QStringLiteral("txtFind"));
  row->addWidget(txtFind_, 1);
  const struct {
    const QString& text;
    const char* name;
    int role;
  } buttons[] = {{texts::findPrevious, "cmdFindPrevious", 1},
                 {texts::findNext, "cmdFindNext", 0},
                 {texts::findClose, "cmdFindClose", 2}};
  for (const auto& b : buttons) {
    auto* button = new QPushButton(b.text, findBar_);
    button->setObjectName(QLatin1String(b.name));
    button->setAutoDefault(false);
    row->addWidget(button);
    const int role = b.role;
    connect(button, &QPushButton::clicked, this, [this, role] {
      if (role == 2) {
        findBar_->hide();
        growWithWindow();
        txtMain_->setFocus(Qt::OtherFocusReason);
      } else {
        findInSource(role == 1);
      }
    });
  }
  txtFind_->installEventFilter(new FindKeys(*this, findBar_));
  findBar_->hide();
  connect(txtMain_, &QPlainTextEdit::textChanged, this, [this] {
    if (chkAutoPreview_ && chkAutoPreview_->isChecked()) autoPreviewTimer_->start();
  });
}

void frmMain::showFindBar() {
  showTab(Tab::source);
  findBar_->show();
  growWithWindow();
  // What is selected in the pane is what the user most likely looks for.
  const QString selected = txtMain_->textCursor().selectedText();
  if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) txtFind_->setText(selected);
  txtFind_->setFocus(Qt::ShortcutFocusReason);
  txtFind_->selectAll();
}

bool frmMain::findInSource(bool backward) {
  const QString text = txtFind_->text();
  if (text.isEmpty()) return false;
  const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  if (txtMain_->find(text, flags)) return true;
  // Wraps around to the other end once.
  const QTextCursor before = txtMain_->textCursor();
  txtMain_->moveCursor(backward ? QTextCursor::End : QTextCursor::Start);
  if (txtMain_->find(text, flags)) return true;
  txtMain_->setTextCursor(before);
  return false;
}

}  // namespace zelvato::ui
