#include "startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <QWindow>

#include "app_texts.h"
#include "dialog_provider.h"
#include "platform_routines.h"
#include "program_identity.h"
#include "zelvato_version.h"

namespace zelvato {
namespace {

// A start-up step that fails is skipped; the next one runs.
template <typename Step>
void attempt(Step&& step) {
  try {
    step();
  } catch (...) {
  }
}

// The window system maps a new window a moment after show(); the main window's
// load (the browser engine starts) takes a while, so the splash gets that
// moment first, or it would appear only when there is nothing left to wait for.
void waitUntilOnScreen(QWidget& window) {
  constexpr qint64 longestWait = 300;  // ms
  QElapsedTimer waited;
  waited.start();
  do {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
  } while (window.windowHandle() != nullptr && !window.windowHandle()->isExposed() &&
           waited.elapsed() < longestWait);
  window.repaint();
}

}  // namespace

std::optional<CommandLineAnswer> answerCommandLine(const QStringList& arguments) {
  const QString usage = QStringLiteral(
      "Usage: zelvato [FILE]\n"
      "Opens the window of Zelvato, the vertical typesetter for Japanese text, with FILE\n"
      "loaded; a window that runs already is handed FILE instead.\n"
      "\n"
      "  -h, --help     show this help and exit\n"
      "  -v, --version  show the version and exit\n"
      "\n"
      "Converting from the command line: zelvato-convert --help\n");
  for (const QString& argument : arguments) {
    // After "--" every argument is a file, even one that begins with a dash.
    if (argument == QLatin1String("--")) break;
    if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
      return CommandLineAnswer{usage, 0};
    if (argument == QLatin1String("--version") || argument == QLatin1String("-v"))
      return CommandLineAnswer{QStringLiteral("zelvato %1\n").arg(QString::fromLatin1(version::text)), 0};
  }
  return std::nullopt;
}

void applyProgramIdentity() {
  QCoreApplication::setApplicationName(ui::programTitle);
  QCoreApplication::setApplicationVersion(QString::fromLatin1(version::text));
  // The menu entry's name, so that the desktop joins the window to its entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zelvato.Zelvato"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/zelvato/icons/zelvato.svg")));
  // Without them the standard dialogs and buttons would speak English.
  ui::installJapaneseTranslations();
}

bool refuseSecondInstance(SingleInstanceLock& lock, const QString& lockFilePath, ui::DialogProvider& dialogs,
                          const QString& channelPath, const QString& file) {
  if (lock.acquire(lockFilePath) != SingleInstanceLock::Result::heldElsewhere) return false;
  if (InstanceChannel::handOver(channelPath, file)) return true;
  dialogs.inform(nullptr, texts::secondInstanceRefused, ui::MessageIcon::stop);
  return true;
}

bool Main(RunningProgram& program, const StartupParts& parts, const QString& lockFilePath) {
  ui::DialogProvider& dialogs = parts.dialogs != nullptr ? *parts.dialogs : ui::realDialogs();
  if (refuseSecondInstance(program.instanceLock, lockFilePath, dialogs, parts.channelPath, parts.fileToOpen))
    return false;

  attempt([&] {
    program.splash = std::make_unique<frmSplash>();
    program.splash->show();
    program.splash->repaint();
    waitUntilOnScreen(*program.splash);
  });
  attempt([] { initAppFolder(); });
  attempt([&] {
    if (parts.preloadProgressWindow) parts.preloadProgressWindow();
  });
  attempt([&] {
    if (parts.createMainWindow) program.mainWindow = parts.createMainWindow();
  });
  attempt([&] {
    if (program.splash) program.splash->LoadingTimer()->start();
  });
  attempt([&] {
    if (program.mainWindow) program.mainWindow->show();
    // The splash stays in front of the main window until it closes, also where
    // no window manager keeps topmost windows on top.
    if (program.splash && program.splash->isVisible()) program.splash->raise();
  });
  attempt([&] {
    if (!program.mainWindow || !parts.openFile) return;
    QWidget* window = program.mainWindow.get();
    program.channel = std::make_unique<InstanceChannel>();
    HandOverQueue::Deliver deliver = [window, open = parts.openFile](const QStringList& paths) {
      for (const QString& path : paths) open(*window, path);
    };
    if (parts.openHandedOver)
      deliver = [window, open = parts.openHandedOver](const QStringList& paths) { open(*window, paths); };
    HandOverQueue::Ready ready;
    if (parts.readyToOpen) ready = [window, isReady = parts.readyToOpen] { return isReady(*window); };
    program.handedOver = std::make_unique<HandOverQueue>(nullptr, std::move(deliver), std::move(ready));
    QObject::connect(program.channel.get(), &InstanceChannel::fileHandedOver, window,
                     [window, queue = program.handedOver.get()](const QString& path) {
                       // One window: the running one comes to the front with the file.
                       if (window->isMinimized()) window->showNormal();
                       window->raise();
                       window->activateWindow();
                       queue->add(path);
                     });
    program.channel->listen(parts.channelPath);
    if (!parts.fileToOpen.isEmpty()) parts.openFile(*window, parts.fileToOpen);
  });
  return true;
}

}  // namespace zelvato
