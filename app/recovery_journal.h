#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "read/source_decoding.h"

namespace zelvato {

namespace ui {
class frmMain;
}

// Unsaved text is kept in a recovery file of its own in the user's state
// folder ($XDG_STATE_HOME/zelvato/recovery, else ~/.local/state/…), written a
// moment after typing stops and whenever the window loses the keyboard. The
// file goes once the text is saved, discarded or replaced, and when the window
// closes normally; after a crash it stays, and the next start offers it.

// The folder of the recovery files.
QString recoveryFolder();

// A text as its recovery file holds it.
struct RecoveredText {
  QString journalPath;  // the recovery file itself
  QString text;         // the pane's text, line breaks as LF
  QString sourcePath;   // the file it was loaded from or saved to; empty for a new text
  SourceFormat format;  // the form that file has, kept by a save
};

// The recovery file's bytes for a text, and the text read back from them;
// nothing for a file that is not a recovery file or is damaged.
QByteArray recoveryFileBytes(const RecoveredText& text);
std::optional<RecoveredText> parseRecoveryFile(const QByteArray& bytes);

// The recovery files other than this program's own, newest first.
QStringList leftRecoveryFiles();

// Journals the window's source pane from now on, to a recovery file named
// after this process; the journal lives and dies with the window.
void installRecoveryJournal(ui::frmMain& window);
// Writes the window's journal now if its text has unsaved edits (the window
// losing the keyboard does the same). False when nothing had to be written.
bool writeRecoveryJournalNow(ui::frmMain& window);

// At start-up, once: each text a crash left behind is offered with 復元 / 破棄.
// A restored text takes the pane as edited text, with the file it belonged
// to; the first restored text ends the questions and the others wait for
// the next start. A discarded one is deleted.
void offerRecoveredTexts(ui::frmMain& window);

}  // namespace zelvato
