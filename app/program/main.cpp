#include <QApplication>
#include <memory>

#include "commands.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "program_identity.h"
#include "source_loading.h"
#include "startup.h"

// The program takes no command-line arguments and reads no settings: every
// start is the same.
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
    return window;
  };
  if (!zelvato::Main(program, parts)) return 0;
  return QApplication::exec();
}
