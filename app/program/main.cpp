#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <memory>

#include "commands.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "instance_channel.h"
#include "program_identity.h"
#include "source_loading.h"
#include "startup.h"

// `zelvato [FILE]`: the window opens with the file, or hands it to the window
// that is open already. The settings are those the user left.
int main(int argc, char* argv[]) {
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
    return window;
  };
  // The desktop passes every chosen file (%F); one window opens the first.
  const QStringList arguments = QApplication::arguments().mid(1);
  for (const QString& argument : arguments) {
    if (argument.startsWith(QLatin1Char('-'))) continue;
    parts.fileToOpen = QFileInfo(argument).absoluteFilePath();
    break;
  }
  parts.openFile = [](QWidget& window, const QString& path) {
    if (auto* main = qobject_cast<zelvato::ui::frmMain*>(&window)) zelvato::openNamedFile(*main, path);
  };
  parts.channelPath = zelvato::instanceSocketPath();
  if (!zelvato::Main(program, parts)) return 0;
  return QApplication::exec();
}
