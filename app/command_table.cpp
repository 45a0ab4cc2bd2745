// The command table: every menu item and Toolbar1 button of the main window.
#include "command_table.h"

#include <QKeySequence>
#include <vector>

#include "app_texts.h"
#include "commands.h"
#include "conversion_run.h"
#include "dialog_provider.h"
#include "frm_main.h"
#include "frm_main_texts.h"
#include "preset_commands.h"
#include "presets.h"
#include "print_commands.h"
#include "settings_model.h"
#include "source_loading.h"
#include "source_saving.h"

namespace zelvato {

namespace {

using ui::Availability;
using ui::CommandMenu;
namespace captions = ui::texts;

// A command ends with "予期しないｴﾗｰが発生しました." on an error nobody foresaw.
template <void (*command)(ui::frmMain&)>
void guarded(ui::frmMain& window) {
  try {
    command(window);
  } catch (...) {
    window.dialogs().inform(&window, texts::unexpectedError, ui::MessageIcon::stop);
  }
}

void load(ui::frmMain& window) {
  openSourceFile(window);
}
void save(ui::frmMain& window) {
  saveSource(window);
}
void saveAs(ui::frmMain& window) {
  saveSourceAs(window);
}
void quit(ui::frmMain& window) {
  window.close();
}
void find(ui::frmMain& window) {
  window.showFindBar();
}
void findNext(ui::frmMain& window) {
  window.findInSource(false);
}
void findPrevious(ui::frmMain& window) {
  window.findInSource(true);
}
void convert(ui::frmMain& window) {
  runConversion(window);
}
// Every setting at its start value, as one step 元に戻す takes back.
void restoreDefaults(ui::frmMain& window) {
  applySettingsStep(window, ui::startValuesPreset, ui::WindowSettings{});
}

}  // namespace

std::span<const ui::CommandEntry> commandTable() {
  // The toolbar buttons keep the names and places of the design's Toolbar1;
  // place 6 is left free for the separator before Convert.
  static const std::vector<ui::CommandEntry> table{
      {.name = "Toolbar1Button(1)",
       .caption = captions::commandNew,
       .shortcut = QKeySequence::New,
       .icon = "new",
       .toolbar = 1,
       .handler = guarded<newSource>},
      {.name = "Toolbar1Button(2)",
       .caption = captions::commandLoad,
       .shortcut = QKeySequence::Open,
       .icon = "load",
       .toolbar = 2,
       .handler = guarded<load>},
      {.name = "mnuSave",
       .caption = captions::menuSave,
       .shortcut = QKeySequence(Qt::CTRL | Qt::Key_S),
       .handler = guarded<save>},
      {.name = "mnuSaveAs",
       .caption = captions::menuSaveAs,
       .shortcut = QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
       .handler = guarded<saveAs>},
      {.name = "Toolbar1Button(3)",
       .caption = captions::commandSaveHtml,
       .icon = "save",
       .toolbar = 3,
       .handler = guarded<saveHtml>},
      {.name = "mnuRecent", .caption = captions::menuRecent},
      {.name = "mnuPrint",
       .caption = captions::commandPrint,
       .shortcut = QKeySequence::Print,
       .icon = "print",
       .toolbar = 4,
       .separatorBefore = true,
       .handler = guarded<printManuscript>},
      {.name = "mnuExportPdf",
       .caption = captions::commandExportPdf,
       .icon = "pdf",
       .toolbar = 5,
       .handler = guarded<exportManuscriptPdf>},
      {.name = "mnuQuit",
       .caption = captions::menuQuit,
       .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Q),
       .separatorBefore = true,
       .available = Availability::always,
       .handler = quit},
      {.name = "mnuFind",
       .caption = captions::menuFind,
       .shortcut = QKeySequence(Qt::CTRL | Qt::Key_F),
       .menu = CommandMenu::edit,
       .handler = find},
      {.name = "mnuFindNext",
       .caption = captions::menuFindNext,
       .shortcut = QKeySequence(Qt::Key_F3),
       .menu = CommandMenu::edit,
       .handler = findNext},
      {.name = "mnuFindPrevious",
       .caption = captions::menuFindPrevious,
       .shortcut = QKeySequence(Qt::SHIFT | Qt::Key_F3),
       .menu = CommandMenu::edit,
       .handler = findPrevious},
      {.name = "Toolbar1Button(5)",
       .caption = captions::commandConvert,
       .shortcut = QKeySequence(Qt::Key_F5),
       .icon = "convert",
       .menu = CommandMenu::convert,
       .toolbar = 7,
       .handler = guarded<convert>},
      // Esc stops a run also while the progress window is the active one; Stop
      // is usable only during a run, so Esc keeps its meaning elsewhere.
      {.name = "Toolbar1Button(6)",
       .caption = captions::commandStop,
       .shortcut = QKeySequence(Qt::Key_Escape),
       .icon = "stop",
       .menu = CommandMenu::convert,
       .toolbar = 8,
       .available = Availability::busy,
       .handler = guarded<stopConversion>,
       .applicationShortcut = true},
      {.name = "mnuDefaults",
       .caption = captions::menuDefaults,
       .menu = CommandMenu::settings,
       .handler = guarded<restoreDefaults>},
      {.name = "mnuPresets", .caption = captions::menuPresets, .menu = CommandMenu::settings},
      {.name = "mnuSavePreset",
       .caption = captions::menuSavePreset,
       .menu = CommandMenu::settings,
       .handler = guarded<savePresetAs>},
      {.name = "Toolbar1Button(7)",
       .caption = captions::commandHelp,
       .shortcut = QKeySequence(Qt::Key_F1),
       .icon = "help",
       .menu = CommandMenu::help,
       .toolbar = 9,
       .handler = guarded<showHelp>},
  };
  return table;
}

}  // namespace zelvato
