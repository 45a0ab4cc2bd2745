#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "frm_splash.h"
#include "hand_over_queue.h"
#include "instance_channel.h"
#include "single_instance.h"

namespace zelvato {

namespace ui {
class DialogProvider;
}

// The start-up steps that other parts of the program supply.
struct StartupParts {
  // Loads the progress window and unloads it again, so that the bar control is
  // created once before the main window exists. May be empty.
  std::function<void()> preloadProgressWindow;
  // Creates the main window; its load sequence runs now, behind the splash.
  std::function<std::unique_ptr<QWidget>()> createMainWindow;
  // The file named on the command line (empty: none), opened once the main
  // window is shown, or handed to the copy that runs already.
  QString fileToOpen;
  // Opens a file in the main window.
  std::function<void(QWidget& mainWindow, const QString& path)> openFile;
  // Opens one of the files later launches handed over together; empty: each
  // is given to openFile in turn.
  std::function<void(QWidget& mainWindow, const QStringList& paths)> openHandedOver;
  // Whether the main window can take a file now; empty: always.
  std::function<bool(QWidget& mainWindow)> readyToOpen;
  // Where the running copy listens for later launches; empty: nowhere.
  QString channelPath;
  // Where the refusal of a second copy is said; nullptr: the real message box.
  ui::DialogProvider* dialogs = nullptr;
};

// What start-up leaves behind; it lives as long as the program runs.
struct RunningProgram {
  SingleInstanceLock instanceLock;
  std::unique_ptr<frmSplash> splash;
  std::unique_ptr<QWidget> mainWindow;
  std::unique_ptr<InstanceChannel> channel;
  std::unique_ptr<HandOverQueue> handedOver;
};

// What `zelvato --help` or `zelvato --version` prints before it ends without
// a window, for the program's arguments (the program's name excluded);
// nothing when the window is to start. Other options are left to Qt
// (-platform, -style, …).
struct CommandLineAnswer {
  QString text;
  int exitCode = 0;
};
std::optional<CommandLineAnswer> answerCommandLine(const QStringList& arguments);

// The program's name, version, icon and desktop entry, for the window system,
// and Qt's own texts in Japanese.
void applyProgramIdentity();

// True when another copy of the program runs for this user: the program must
// end without showing a window. The copy that runs is handed `file` through
// its channel and comes to the front; only when it cannot be reached is the
// refusal "二重起動することはできません." shown. Otherwise `lock` holds the lock
// (or none could be had, in which case the program starts anyway rather than
// refuse every start).
bool refuseSecondInstance(SingleInstanceLock& lock, const QString& lockFilePath, ui::DialogProvider& dialogs,
                          const QString& channelPath = {}, const QString& file = {});

// The start sequence: hand over to a copy that runs; show the splash and paint it at
// once; fill appFolder; preload the progress window; create the main window;
// start the splash timer; show the main window; listen for later launches and
// open the file of the command line. Every step after the first is
// attempted even if an earlier one failed. False when the program must end now.
bool Main(RunningProgram& program, const StartupParts& parts,
          const QString& lockFilePath = singleInstanceLockPath());

}  // namespace zelvato
