#pragma once

#include <QString>

namespace zelvato {

class WindowConversionHost;
namespace ui {
class frmMain;
}

// One whole conversion of the main window's source text, started by Convert and
// by Save HTML. Reads the settings once and checks them (checkSettings: a
// warning for missing output settings, silence for missing layout values or
// source), locks the
// window so that only Stop stays usable, writes the preview file and the
// output, and ends either with the preview shown on tab 2 or, after any
// failure or Stop, with the preview file deleted, the interruption message and
// tab 0. Does nothing while a run of the same window is in progress.
void runConversion(ui::frmMain& window);

// The Stop command: the running layout fails at its next position and the run
// ends on its failure path. The source pane keeps its text. Nothing happens
// when no run is in progress.
void stopConversion(ui::frmMain& window);

// True from the lock of a run until the window has been released again.
bool conversionRunning(const ui::frmMain& window);

// The window's conversion host, made and joined to the window (status bar,
// HTML pane, clipboard, Stop button) on first use.
WindowConversionHost& conversionHost(ui::frmMain& window);

}  // namespace zelvato
