#include <QApplication>
#include <memory>

#include "frm_main.h"
#include "program_identity.h"
#include "startup.h"

// The program takes no command-line arguments and reads no settings: every
// start is the same.
int main(int argc, char* argv[]) {
  zelvato::ui::prepareApplication();
  QApplication application(argc, argv);
  zelvato::applyProgramIdentity();

  zelvato::RunningProgram program;
  zelvato::StartupParts parts;
  // The progress window is not part of the program yet; start-up goes on
  // without preloading it.
  parts.createMainWindow = []() -> std::unique_ptr<QWidget> {
    return std::make_unique<zelvato::ui::frmMain>();
  };
  if (!zelvato::Main(program, parts)) return 0;
  return QApplication::exec();
}
