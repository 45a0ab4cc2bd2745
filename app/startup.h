#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "frm_splash.h"
#include "single_instance.h"

namespace zelvato {

// The start-up steps that other parts of the program supply.
struct StartupParts {
  // Loads the progress window and unloads it again, so that the bar control is
  // created once before the main window exists. May be empty.
  std::function<void()> preloadProgressWindow;
  // Creates the main window; its load sequence runs now, behind the splash.
  std::function<std::unique_ptr<QWidget>()> createMainWindow;
};

// What start-up leaves behind; it lives as long as the program runs.
struct RunningProgram {
  SingleInstanceLock instanceLock;
  std::unique_ptr<frmSplash> splash;
  std::unique_ptr<QWidget> mainWindow;
};

// The program's name, version, icon and desktop entry, for the window system,
// and Qt's own texts in Japanese.
void applyProgramIdentity();

// True when another copy of the program runs for this user: the refusal
// "二重起動することはできません." has been shown and the program must end without
// showing a window. Otherwise `lock` holds the lock (or none could be had, in
// which case the program starts anyway rather than refuse every start).
bool refuseSecondInstance(SingleInstanceLock& lock, const QString& lockFilePath);

// The start sequence: refuse a second copy; show the splash and paint it at
// once; fill appFolder; preload the progress window; create the main window;
// start the splash timer; show the main window. Every step after the first is
// attempted even if an earlier one failed. False when the program must end now.
bool Main(RunningProgram& program, const StartupParts& parts,
          const QString& lockFilePath = singleInstanceLockPath());

}  // namespace zelvato
