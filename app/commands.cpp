#include "commands.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include "app_texts.h"
#include "conversion_run.h"
#include "frm_main.h"
#include "message_box.h"
#include "platform_routines.h"
#include "print_commands.h"
#include "source_loading.h"
#include "source_text_edit.h"

namespace zelvato {

namespace {

void newSource(ui::frmMain& window) {
  window.clearSource();
  window.showTab(ui::Tab::source);
}

void saveHtml(ui::frmMain& window) {
  window.showTab(ui::Tab::output);
  window.chooseOutputMode(OutputMode::singleFile);
  if (window.sourceLength() == 0) openSourceFile(window);
  window.cmdFileSelect_Click();
  if (window.sourceLength() == 0) return;
  const ui::MessageAnswer answer = ui::askYesNoCancel(
      &window, texts::convertNow + QStringLiteral("\r\n\r\n") + texts::notSavedUnlessConverted,
      ui::MessageIcon::question);
  if (answer == ui::MessageAnswer::yes) runConversion(window);
}

void showHelp(ui::frmMain& window) {
  window.showTab(ui::Tab::preview);
  window.navigate(helpPagePath(appFolder));
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
    // ignored, except Stop.
    if (conversionRunning(window) && command != ui::Command::stop) return;
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
  addPrintCommands(window);
}

}  // namespace zelvato
