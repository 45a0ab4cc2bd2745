#include "commands.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>

#include "app_texts.h"
#include "conversion_run.h"
#include "frm_main.h"
#include "message_box.h"
#include "platform_routines.h"
#include "source_loading.h"
#include "source_text_edit.h"

namespace zelvato {

namespace {

constexpr int sourceTab = 0;
constexpr int previewTab = 2;
constexpr int outputTab = 3;

enum ToolbarButton {
  newButton = 1,
  loadButton = 2,
  saveButton = 3,
  convertButton = 5,
  stopButton = 6,
  helpButton = 7
};

void newSource(ui::frmMain& window) {
  // The pane's change rule brings the hint back in place of the count.
  window.txtMain()->clear();
  window.SSTabMain()->setCurrentIndex(sourceTab);
}

void saveHtml(ui::frmMain& window) {
  window.SSTabMain()->setCurrentIndex(outputTab);
  // Selecting the option runs its rule as a click would; an option already
  // selected raises no change, so its rule is run here.
  QRadioButton* singleFile = window.optOutput(1);
  if (singleFile->isChecked()) {
    window.optOutput_Click();
  } else {
    singleFile->setChecked(true);
  }
  if (window.txtMain()->sourceLength() == 0) openSourceFile(window);
  window.cmdFileSelect_Click();
  if (window.txtMain()->sourceLength() == 0) return;
  const ui::MessageAnswer answer = ui::askYesNoCancel(
      &window, texts::convertNow + QStringLiteral("\r\n\r\n") + texts::notSavedUnlessConverted,
      ui::MessageIcon::question);
  if (answer == ui::MessageAnswer::yes) runConversion(window);
}

void showHelp(ui::frmMain& window) {
  window.SSTabMain()->setCurrentIndex(previewTab);
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
    try {
      if (watched == window_.txtMain()) txtMain_KeyDown(window_, key);
      if (watched == window_.txtHTML()) txtHTML_KeyDown(window_, key);
    } catch (...) {
    }
    return false;
  }

 private:
  ui::frmMain& window_;
};

}  // namespace

void Toolbar1_ButtonClick(ui::frmMain& window, int index) {
  try {
    // The buttons are disabled during a run; a command that arrives anyway is
    // ignored, except Stop.
    if (conversionRunning(window) && index != stopButton) return;
    switch (index) {
      case newButton:
        newSource(window);
        break;
      case loadButton:
        openSourceFile(window);
        break;
      case saveButton:
        saveHtml(window);
        break;
      case convertButton:
        runConversion(window);
        break;
      case stopButton:
        // Stop ends the run; the source pane keeps its text.
        stopConversion(window);
        break;
      case helpButton:
        showHelp(window);
        break;
      default:
        break;
    }
  } catch (...) {
    ui::showMessage(&window, texts::unexpectedError, ui::MessageIcon::stop);
  }
}

void cmdAllSelect_Click(ui::frmMain& window, int /*index*/) {
  QPlainTextEdit* pane = window.txtHTML();
  try {
    pane->selectAll();
    // The pane keeps LF; the markup's lines end with CR LF everywhere else.
    QString text = pane->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text);
  } catch (...) {
  }
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
  QObject::connect(&window, &ui::frmMain::toolbarButtonClicked, &window,
                   [&window](int index) { Toolbar1_ButtonClick(window, index); });
  QObject::connect(&window, &ui::frmMain::cmdAllSelectClicked, &window,
                   [&window](int index) { cmdAllSelect_Click(window, index); });
  new PaneKeys(window);
  // The host joins the status bar, the HTML pane and the Stop button now.
  conversionHost(window);
}

}  // namespace zelvato
