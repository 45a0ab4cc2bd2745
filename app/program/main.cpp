#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <memory>

#include "commands.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "instance_channel.h"
#include "program_identity.h"
#include "recovery_journal.h"
#include "source_loading.h"
#include "startup.h"

// `zelvato [FILE]`: the window opens with the file, or hands it to the window
// that is open already. The settings are those the user left.
int main(int argc, char* argv[]) {
  // --help and --version answer without a display and without a window.
  QStringList given;
  for (int i = 1; i < argc; ++i) given.append(QString::fromLocal8Bit(argv[i]));
  if (const auto answer = zelvato::answerCommandLine(given)) {
    std::fputs(answer->text.toLocal8Bit().constData(), answer->exitCode == 0 ? stdout : stderr);
    return answer->exitCode;
  }
  zelvato::ui::prepareApplication();
  QApplication application(argc, argv);
  zelvato::applyProgramIdentity();

  zelvato::RunningProgram program;
  zelvato::StartupParts parts;
  parts.preloadProgressWindow = [] {
    zelvato::loadProgressWindow();
    zelvato::hideProgress();
  };
  parts.createMainWindow = []() -> std::unique_ptr<QWidget> {
    auto window = std::make_unique<zelvato::ui::frmMain>();
    zelvato::connectCommands(*window);
    zelvato::installSourceFileDrop(*window);
    zelvato::restoreUserSettings(*window);
    zelvato::installRecoveryJournal(*window);
    return window;
  };
  // The desktop passes every chosen file (%F); one window opens the first.
  const QStringList arguments = QApplication::arguments().mid(1);
  bool filesOnly = false;
  for (const QString& argument : arguments) {
    if (!filesOnly && argument == QLatin1String("--")) {
      filesOnly = true;
      continue;
    }
    if (!filesOnly && argument.startsWith(QLatin1Char('-'))) continue;
    parts.fileToOpen = QFileInfo(argument).absoluteFilePath();
    break;
  }
  // Text a crash left is offered before anything else takes the pane: the
  // file of the command line then asks about it as about any edited text.
  static bool recoveryOffered = false;
  const auto offerRecovery = [](zelvato::ui::frmMain& window) {
    if (recoveryOffered) return;
    recoveryOffered = true;
    zelvato::offerRecoveredTexts(window);
  };
  parts.openFile = [offerRecovery](QWidget& window, const QString& path) {
    auto* main = qobject_cast<zelvato::ui::frmMain*>(&window);
    if (main == nullptr) return;
    offerRecovery(*main);
    zelvato::openNamedFile(*main, path);
  };
  parts.openHandedOver = [offerRecovery](QWidget& window, const QStringList& paths) {
    auto* main = qobject_cast<zelvato::ui::frmMain*>(&window);
    if (main == nullptr) return;
    offerRecovery(*main);
    zelvato::openHandedOverFiles(*main, paths);
  };
  parts.readyToOpen = [](QWidget& window) {
    const auto* main = qobject_cast<const zelvato::ui::frmMain*>(&window);
    return main == nullptr || zelvato::readyToOpenFiles(*main);
  };
  parts.channelPath = zelvato::instanceSocketPath();
  if (!zelvato::Main(program, parts)) return 0;
  if (auto* main = qobject_cast<zelvato::ui::frmMain*>(program.mainWindow.get())) offerRecovery(*main);
  return QApplication::exec();
}
