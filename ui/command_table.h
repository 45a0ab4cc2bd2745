#pragma once

#include <QKeySequence>
#include <QString>
#include <string_view>

namespace zelvato::ui {

class frmMain;

// The menus of the menu bar, in their order.
enum class CommandMenu { file, edit, convert, settings, help };

// When a command can be used: while no run holds the window, only while one
// does (Stop), or always.
enum class Availability { idle, busy, always };

// One command of the window, declared once: the window makes its action, puts
// it in its menu in the table's order and on Toolbar1 at its place, and runs
// the handler when it is chosen. A place left free on the toolbar is a
// separator. An entry without a handler is a submenu the window fills itself
// (the recent files, the presets).
struct CommandEntry {
  std::string_view name;  // the action's object name
  QString caption;        // with its accelerator: "保存(&S)"
  QKeySequence shortcut = {};
  std::string_view icon = {};  // ":/zelvato/icons/NAME.svg"; empty: none
  CommandMenu menu = CommandMenu::file;
  int toolbar = 0;  // the button's place on Toolbar1 from 1; 0: not on it
  bool separatorBefore = false;
  Availability available = Availability::idle;
  void (*handler)(frmMain&) = nullptr;
  // The key works wherever the keyboard is in the program, not only in the window.
  bool applicationShortcut = false;
};

}  // namespace zelvato::ui
