#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace zelvato {

namespace ui {
class frmMain;
}

// The Load command: selects the source tab, keeps or saves edited text (the
// question 保存 / 破棄 / キャンセル), asks for a text file and loads it. `then`
// runs once the command has ended: the file loaded, or nothing chosen.
void openSourceFile(ui::frmMain& window, std::function<void()> then = {});

// Loads a file named by the user some other way (a drop, 最近使ったﾌｧｲﾙ, the
// command line, a second launch): edited text is asked about first, a
// missing file is reported. The file is read and decoded on a worker thread
// while the window shows the busy state; it returns at once.
void openNamedFile(ui::frmMain& window, const QString& path);

// The files later launches handed over together: edited text is asked about
// first (保存 / 破棄 / キャンセル), then, when there are several, which one to
// open, in one question. Nothing is opened when either is cancelled.
void openHandedOverFiles(ui::frmMain& window, const QStringList& paths);

// True when the window can take a file now: no run, no load.
bool readyToOpenFiles(const ui::frmMain& window);

// True while a file is being read for the window.
bool sourceLoading();

// Reads the whole file into the source pane, with a final line break only
// where the file has one, and makes it the window's file; false when the file could not be read. The
// file is read before the pane is touched, so a failure leaves the text as it was.
bool loadSourceFile(ui::frmMain& window, const QString& path);

// Lets the user drop a text file on the source pane to load it.
void installSourceFileDrop(ui::frmMain& window);

}  // namespace zelvato
