#include "commands.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSettings>

#include "app_texts.h"
#include "conversion_run.h"
#include "frm_main.h"
#include "message_box.h"
#include "platform_routines.h"
#include "print_commands.h"
#include "settings_store.h"
#include "source_loading.h"
#include "source_saving.h"
#include "source_text_edit.h"
#include "write/registry/writer_registry.h"

namespace zelvato {

namespace {

void newSource(ui::frmMain& window) {
  if (!keepEditsBeforeReplacing(window)) return;
  window.clearSource();
  window.setSourceFile(QString(), SourceEncoding::cp932);
  window.setSourceModified(false);
  window.showTab(ui::Tab::source);
}

// Save HTML after the source is there: the output file, then the question.
void chooseFileAndAsk(ui::frmMain& window) {
  window.cmdFileSelect_Click();
  if (window.sourceLength() == 0) return;
  const ui::MessageAnswer answer = ui::askYesNoCancel(
      &window, texts::convertNow + QStringLiteral("\r\n\r\n") + texts::notSavedUnlessConverted,
      ui::MessageIcon::question);
  if (answer == ui::MessageAnswer::yes) runConversion(window);
}

void saveHtml(ui::frmMain& window) {
  window.showTab(ui::Tab::output);
  window.chooseOutputMode(writerKeys::singleFile);
  // An empty source is loaded first; the file is read on a worker, so the rest follows its end.
  if (window.sourceLength() == 0) {
    openSourceFile(window, [&window] { chooseFileAndAsk(window); });
  } else {
    chooseFileAndAsk(window);
  }
}

// The help page opens in a window of its own; the preview keeps the result.
void showHelp(ui::frmMain& window) {
  window.showHelpPage(helpPagePath(appFolder));
}

void savePresetAs(ui::frmMain& window) {
  bool ok = false;
  const QString name = QInputDialog::getText(&window, texts::savePresetTitle, texts::presetName,
                                             QLineEdit::Normal, QString(), &ok)
                           .trimmed();
  if (!ok || name.isEmpty()) return;
  const auto store = ui::openUserSettings();
  ui::saveUserPreset(window, *store, name);
  store->sync();
  ui::fillPresetsMenu(window, *store);
}

void runMenuCommand(ui::frmMain& window, ui::MenuCommand command) {
  // The menu commands that change the text or the settings wait for a run to end.
  const bool busy = conversionRunning(window) && window.isBusy();
  switch (command) {
    case ui::MenuCommand::save:
      if (!busy) saveSource(window);
      break;
    case ui::MenuCommand::saveAs:
      if (!busy) saveSourceAs(window);
      break;
    case ui::MenuCommand::quit:
      window.close();
      break;
    case ui::MenuCommand::find:
      if (!busy) window.showFindBar();
      break;
    case ui::MenuCommand::findNext:
    case ui::MenuCommand::findPrevious:
      if (!busy) window.findInSource(command == ui::MenuCommand::findPrevious);
      break;
    case ui::MenuCommand::restoreDefaults:
      if (!busy) ui::applyStartValues(window);
      break;
    case ui::MenuCommand::savePreset:
      if (!busy) savePresetAs(window);
      break;
  }
}

// Watches the keys of the two text panes for select-all and lets every key
// through.
class PaneKeys final : public QObject {
 public:
  explicit PaneKeys(ui::frmMain& window) : QObject(&window), window_(window) {
    window.txtMain()->installEventFilter(this);
    window.txtHTML()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (watched == window_.txtMain()) txtMain_KeyDown(window_, key);
    if (watched == window_.txtHTML()) txtHTML_KeyDown(window_, key);
    return false;
  }

 private:
  ui::frmMain& window_;
};

}  // namespace

void Toolbar1_ButtonClick(ui::frmMain& window, ui::Command command) {
  try {
    // The buttons are disabled during a run; a command that arrives anyway is
    // ignored, except Stop. The automatic preview runs unseen and locks nothing.
    if (window.isBusy() && command != ui::Command::stop) return;
    switch (command) {
      case ui::Command::newText:
        newSource(window);
        break;
      case ui::Command::load:
        openSourceFile(window);
        break;
      case ui::Command::saveHtml:
        saveHtml(window);
        break;
      case ui::Command::convert:
        runConversion(window);
        break;
      case ui::Command::stop:
        // Stop ends the run; the source pane keeps its text.
        stopConversion(window);
        break;
      case ui::Command::help:
        showHelp(window);
        break;
    }
  } catch (...) {
    ui::showMessage(&window, texts::unexpectedError, ui::MessageIcon::stop);
  }
}

void cmdAllSelect_Click(ui::frmMain& window, int /*index*/) {
  QPlainTextEdit* pane = window.txtHTML();
  pane->selectAll();
  // The pane keeps LF; the markup's lines end with CR LF everywhere else.
  QString text = pane->toPlainText();
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text);
  ui::showMessage(&window, texts::copiedToClipboard, ui::MessageIcon::information);
}

bool selectAllOnCtrlA(QPlainTextEdit& pane, int key, Qt::KeyboardModifiers modifiers) {
  constexpr Qt::KeyboardModifiers shiftState =
      Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  if (key != Qt::Key_A || (modifiers & shiftState) != Qt::ControlModifier) return false;
  pane.selectAll();
  return true;
}

bool txtMain_KeyDown(ui::frmMain& window, const QKeyEvent& event) {
  return selectAllOnCtrlA(*window.txtMain(), event.key(), event.modifiers());
}

bool txtHTML_KeyDown(ui::frmMain& window, const QKeyEvent& event) {
  return selectAllOnCtrlA(*window.txtHTML(), event.key(), event.modifiers());
}

void connectCommands(ui::frmMain& window) {
  QObject::connect(&window, &ui::frmMain::commandTriggered, &window,
                   [&window](ui::Command command) { Toolbar1_ButtonClick(window, command); });
  QObject::connect(&window, &ui::frmMain::cmdAllSelectClicked, &window,
                   [&window](int index) { cmdAllSelect_Click(window, index); });
  new PaneKeys(window);
  // The host joins the status bar, the HTML pane and the Stop button now.
  conversionHost(window);

  QObject::connect(&window, &ui::frmMain::menuCommandTriggered, &window,
                   [&window](ui::MenuCommand command) { runMenuCommand(window, command); });
  QObject::connect(&window, &ui::frmMain::recentFileChosen, &window,
                   [&window](const QString& path) { openNamedFile(window, path); });
  QObject::connect(window.presetsMenu(), &QMenu::triggered, &window, [&window](QAction* action) {
    if (window.isBusy()) return;
    const auto store = ui::openUserSettings();
    ui::applyPreset(window, *store, action->data().toString());
  });
  // The automatic preview waits while a file loads or a run is in progress.
  QObject::connect(&window, &ui::frmMain::autoPreviewDue, &window, [&window] {
    if (!sourceLoading() && !conversionRunning(window)) runConversion(window, ConversionKind::preview);
  });
  // Closing keeps edited text (the question) and remembers the settings and the window.
  window.setCloseGuard([&window] {
    if (!keepEditsBeforeReplacing(window)) return false;
    const auto store = ui::openUserSettings();
    ui::storeSettings(window, *store);
    ui::storeGeometry(window, *store);
    return true;
  });
  addPrintCommands(window);
}

void restoreUserSettings(ui::frmMain& window) {
  const auto store = ui::openUserSettings();
  ui::restoreSettings(window, *store);
  ui::restoreGeometry(window, *store);
  ui::fillPresetsMenu(window, *store);
  window.setRecentFiles(ui::recentFiles(*store));
}

}  // namespace zelvato
