#include <QApplication>
#include <QMainWindow>
#include <memory>

#include "app_texts.h"
#include "startup.h"

namespace {

// Until the main window joins the program, start-up shows an empty window
// with the program's title and client size, so that the start sequence runs whole.
std::unique_ptr<QWidget> createMainWindow() {
  auto window = std::make_unique<QMainWindow>();
  window->setWindowTitle(zelvato::texts::programTitle);
  window->setFixedSize(zelvato::twips(9480), zelvato::twips(5025));
  return window;
}

}  // namespace

// The program takes no command-line arguments and reads no settings: every
// start is the same.
int main(int argc, char* argv[]) {
  // The preview browser shares the window's OpenGL contexts; this must be
  // said before the application object exists.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  zelvato::applyProgramIdentity();

  zelvato::RunningProgram program;
  zelvato::StartupParts parts;
  parts.createMainWindow = createMainWindow;
  if (!zelvato::Main(program, parts)) return 0;
  return QApplication::exec();
}
