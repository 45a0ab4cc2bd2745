// A writer at work, to be killed: opens the main window with its recovery
// journal, types argv[1] into the source pane, types argv[2] into 桁数, waits
// until both the journal and the settings file hold them, says "ready" on
// standard output and runs on until it is killed. The caller chooses the
// folders through XDG_STATE_HOME and XDG_CONFIG_HOME.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <cstdio>

#include "commands.h"
#include "fake_dialogs.h"
#include "frm_main.h"
#include "program_identity.h"
#include "recovery_journal.h"
#include "settings_model.h"
#include "settings_store.h"
#include "source_text_edit.h"
#include "window_controls.h"

int main(int argc, char* argv[]) {
  zelvato::ui::prepareApplication();
  QApplication application(argc, argv);
  if (argc < 3) return 2;
  const QString typed = QString::fromUtf8(argv[1]);
  const QString charsPerLine = QString::fromUtf8(argv[2]);

  zelvato::testing::FakeDialogs dialogs;
  zelvato::ui::frmMain window(&dialogs);
  zelvato::connectCommands(window);
  zelvato::restoreUserSettings(window);
  zelvato::installRecoveryJournal(window);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 3;

  QLineEdit* field = zelvato::ui::txtAppearance(window, 0);
  field->selectAll();
  QTest::keyClicks(field, charsPerLine);
  window.txtMain()->setFocus();
  zelvato::ui::typeText(window.txtMain(), typed);

  // Nothing is written on purpose here: the pause after typing does it.
  const auto journaled = [&] {
    const QStringList files = QDir(zelvato::recoveryFolder()).entryList({QStringLiteral("recovery-*.json")});
    if (files.size() != 1) return false;
    QFile file(QDir(zelvato::recoveryFolder()).filePath(files.first()));
    if (!file.open(QIODevice::ReadOnly)) return false;
    const std::optional<zelvato::RecoveredText> text = zelvato::parseRecoveryFile(file.readAll());
    return text && text->text == typed;
  };
  const auto stored = [&] {
    const auto store = zelvato::ui::openUserSettings();
    return zelvato::ui::SettingsModel::load(*store).conversion.charsPerLine.typed() ==
           charsPerLine.toStdU16String();
  };
  if (!QTest::qWaitFor([&] { return journaled() && stored(); }, 30000)) {
    std::fputs("not journaled\n", stdout);
    std::fflush(stdout);
    return 4;
  }
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  return QApplication::exec();
}
