#pragma once

// What the tests that drive the real main window share: a private temporary
// folder for the preview file, the progress bar registered from the control
// library, and the dialogs answered by the test (fake_dialogs.h).

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include "control_host.h"
#include "conversion_run.h"
#include "document/conversion_host.h"
#include "fake_dialogs.h"
#include "frm_main.h"
#include "program_identity.h"
#include "run/null_host.h"

namespace zelvato::testing {

// Set before the application exists: the preview engine and the temporary
// folder read the environment once.
inline QTemporaryDir& runtimeFolder() {
  static QTemporaryDir folder;  // made with mode 0700, as a private folder must be
  return folder;
}

inline void prepareMainWindowTest() {
  qputenv("XDG_RUNTIME_DIR", runtimeFolder().path().toLocal8Bit());
  // The remembered settings go to the test's own folder, never the user's.
  qputenv("XDG_CONFIG_HOME", runtimeFolder().filePath(QStringLiteral("config")).toLocal8Bit());
  qputenv("ZELVATO_CONTROL_REGISTRY", runtimeFolder().filePath(QStringLiteral("controls.ini")).toLocal8Bit());
  ui::prepareApplication();
}

// The progress window finds the bar by its ProgID in the test's own registry.
inline bool registerProgressBar() {
  return hosting::registerControlLibrary(QStringLiteral(ZORBAR32_PATH)) == hosting::S_OK;
}

// The preview file every run of the test writes.
inline QString testPreviewFilePath() {
  return runtimeFolder().filePath(QStringLiteral("zelvato_temp.html"));
}

inline QByteArray fileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// Starts a run and waits for the worker to end and the window to be released.
inline bool runAndWait(ui::frmMain& window, ConversionKind kind = ConversionKind::full) {
  runConversion(window, kind);
  return QTest::qWaitFor([&window] { return !conversionRunning(window); }, 120000);
}

}  // namespace zelvato::testing
