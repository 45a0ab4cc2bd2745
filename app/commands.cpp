#include "commands.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTimer>

#include "app_texts.h"
#include "conversion_run.h"
#include "dialog_provider.h"
#include "frm_main.h"
#include "manuscript_count_label.h"
#include "platform_routines.h"
#include "preset_commands.h"
#include "presets.h"
#include "settings_model.h"
#include "settings_store.h"
#include "source_loading.h"
#include "source_saving.h"
#include "source_text_edit.h"
#include "write/registry/writer_registry.h"

namespace zelvato {

namespace {

// Save HTML after the source is there: the output file, then the question.
void chooseFileAndAsk(ui::frmMain& window) {
  window.chooseOutputPath(writerKeys::singleFile);
  if (window.sourceLength() == 0) return;
  const ui::MessageAnswer answer = window.dialogs().askYesNoCancel(
      &window, texts::convertNow + QStringLiteral("\r\n\r\n") + texts::notSavedUnlessConverted,
      ui::MessageIcon::question);
  if (answer == ui::MessageAnswer::yes) runConversion(window);
}

// Watches the keys of the two text panes for select-all and lets every key
// through.
class PaneKeys final : public QObject {
 public:
  explicit PaneKeys(ui::frmMain& window) : QObject(&window), window_(window) {
    window.txtMain()->installEventFilter(this);
    window.txtHTML()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (watched == window_.txtMain()) selectAllOnCtrlA(*window_.txtMain(), key.key(), key.modifiers());
    if (watched == window_.txtHTML()) selectAllOnCtrlA(*window_.txtHTML(), key.key(), key.modifiers());
    return false;
  }

 private:
  ui::frmMain& window_;
};

}  // namespace

void newSource(ui::frmMain& window) {
  if (!keepEditsBeforeReplacing(window)) return;
  window.clearSource();
  window.setSourceFile(QString(), SourceFormat{});
  window.setSourceModified(false);
  window.showTab(ui::Tab::source);
}

void saveHtml(ui::frmMain& window) {
  window.showTab(ui::Tab::output);
  window.chooseOutputMode(writerKeys::singleFile);
  // An empty source is loaded first; the file is read on a worker, so the rest follows its end.
  if (window.sourceLength() == 0) {
    openSourceFile(window, [&window] { chooseFileAndAsk(window); });
  } else {
    chooseFileAndAsk(window);
  }
}

void showHelp(ui::frmMain& window) {
  window.showHelpPage(helpPagePath(appFolder));
}

void savePresetAs(ui::frmMain& window) {
  const std::optional<QString> asked =
      window.dialogs().askText(&window, texts::savePresetTitle, texts::presetName);
  const QString name = asked.value_or(QString()).trimmed();
  if (name.isEmpty()) return;
  const auto store = ui::openUserSettings();
  ui::saveUserPreset(window.settings(), *store, name);
  store->sync();
  refreshPresetsMenu(window, *store);
}

void cmdAllSelect_Click(ui::frmMain& window, int /*index*/) {
  QPlainTextEdit* pane = window.txtHTML();
  pane->selectAll();
  // The pane keeps LF; the markup's lines end with CR LF everywhere else.
  QString text = pane->toPlainText();
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text);
  window.dialogs().inform(&window, texts::copiedToClipboard, ui::MessageIcon::information);
}

bool selectAllOnCtrlA(QPlainTextEdit& pane, int key, Qt::KeyboardModifiers modifiers) {
  constexpr Qt::KeyboardModifiers shiftState =
      Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  if (key != Qt::Key_A || (modifiers & shiftState) != Qt::ControlModifier) return false;
  pane.selectAll();
  return true;
}

void connectCommands(ui::frmMain& window) {
  window.addCommands(commandTable());
  QObject::connect(&window, &ui::frmMain::cmdAllSelectClicked, &window,
                   [&window](int index) { cmdAllSelect_Click(window, index); });
  new PaneKeys(window);
  // The host joins the status bar and the HTML pane now.
  conversionHost(window);

  QObject::connect(&window, &ui::frmMain::recentFileChosen, &window,
                   [&window](const QString& path) { openNamedFile(window, path); });
  installPresetCommands(window);
  // The automatic preview waits while a file loads or a run is in progress.
  QObject::connect(&window, &ui::frmMain::autoPreviewDue, &window, [&window] {
    if (!sourceLoading() && !conversionRunning(window)) runConversion(window, ConversionKind::preview);
  });
  // A changed setting reaches the settings file a moment later, so that a
  // crash loses none; a burst of changes (typing a value) is written once.
  auto* storeSettings = new QTimer(&window);
  storeSettings->setObjectName(QStringLiteral("settingsStoreTimer"));
  storeSettings->setSingleShot(true);
  storeSettings->setInterval(300);
  QObject::connect(&window.settings(), &ui::SettingsModel::changed, storeSettings,
                   qOverload<>(&QTimer::start));
  QObject::connect(storeSettings, &QTimer::timeout, &window, [&window] {
    const auto store = ui::openUserSettings();
    window.settings().store(*store);
  });
  // Closing keeps edited text (the question) and remembers the settings and the window.
  window.setCloseGuard([&window] {
    if (!keepEditsBeforeReplacing(window)) return false;
    const auto store = ui::openUserSettings();
    window.settings().store(*store);
    ui::storeGeometry(window, *store);
    return true;
  });
  installManuscriptCount(window);
  // The editing font's size is the user's, kept across starts.
  QObject::connect(window.txtMain(), &ui::SourceTextEdit::fontZoomed, &window,
                   [](int points) { ui::openUserSettings()->setValue(ui::editorFontSizeKey, points); });
}

void restoreUserSettings(ui::frmMain& window) {
  const auto store = ui::openUserSettings();
  window.settings().reset(ui::SettingsModel::load(*store));
  ui::restoreGeometry(window, *store);
  bool stored = false;
  const int points = store->value(ui::editorFontSizeKey).toInt(&stored);
  if (stored) window.txtMain()->setFontPointSize(points);
  refreshPresetsMenu(window, *store);
  window.setRecentFiles(ui::recentFiles(*store));
}

}  // namespace zelvato
