#include "preset_commands.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <optional>

#include "dialog_provider.h"
#include "frm_main.h"
#include "frm_main_texts.h"
#include "presets.h"
#include "settings_model.h"
#include "settings_store.h"

namespace zelvato {

namespace {

// The step 元に戻す takes back, kept by the window.
class SettingsSteps final : public QObject {
 public:
  explicit SettingsSteps(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("settingsSteps"));
  }
  std::optional<ui::SettingsStep> last;
};

SettingsSteps& stepsOf(ui::frmMain& window) {
  // Found by its name: without a meta-object of its own, any child would pass for it.
  if (auto* steps = dynamic_cast<SettingsSteps*>(
          window.findChild<QObject*>(QStringLiteral("settingsSteps"), Qt::FindDirectChildrenOnly)))
    return *steps;
  return *new SettingsSteps(&window);
}

// 元に戻す names the step it takes back, and is there only while there is one.
void showUndo(ui::frmMain& window) {
  QMenu* menu = window.presetsMenu();
  if (menu == nullptr) return;
  auto* undo = menu->findChild<QAction*>(QStringLiteral("mnuPresetUndo"));
  if (undo == nullptr) return;
  const std::optional<ui::SettingsStep>& last = stepsOf(window).last;
  undo->setEnabled(last.has_value());
  undo->setText(last ? ui::texts::presetUndoNamed.arg(last->name) : ui::texts::presetUndo);
}

}  // namespace

void refreshPresetsMenu(ui::frmMain& window, const QSettings& store) {
  QMenu* menu = window.presetsMenu();
  if (menu == nullptr) return;
  ui::fillPresetsMenu(*menu, store);
  menu->addSeparator();
  QAction* undo = menu->addAction(ui::texts::presetUndo);
  undo->setObjectName(QStringLiteral("mnuPresetUndo"));
  QObject::connect(undo, &QAction::triggered, &window, [&window] { undoSettingsStep(window); });
  QAction* edit = menu->addAction(ui::texts::presetsEdit);
  edit->setObjectName(QStringLiteral("mnuPresetsEdit"));
  edit->setEnabled(!ui::userPresetNames(store).isEmpty());
  QObject::connect(edit, &QAction::triggered, &window, [&window] { editUserPresets(window); });
  showUndo(window);
}

void applySettingsStep(ui::frmMain& window, const QString& name, const ui::WindowSettings& after) {
  if (window.isBusy()) return;
  stepsOf(window).last = ui::SettingsStep{name, window.settings().settings(), after};
  window.settings().reset(after);
  window.setStatusText(ui::texts::presetApplied.arg(name));
  showUndo(window);
}

bool undoSettingsStep(ui::frmMain& window) {
  SettingsSteps& steps = stepsOf(window);
  if (window.isBusy() || !steps.last) return false;
  const ui::SettingsStep step = *std::exchange(steps.last, std::nullopt);
  window.settings().reset(ui::withStepUndone(window.settings().settings(), step));
  window.setStatusText(ui::texts::presetUndone.arg(step.name));
  showUndo(window);
  return true;
}

void editUserPresets(ui::frmMain& window) {
  const auto store = ui::openUserSettings();
  const std::optional<QList<ui::PresetEdit>> edits =
      window.dialogs().editPresets(&window, ui::userPresetNames(*store));
  if (!edits) return;
  for (const ui::PresetEdit& edit : *edits) {
    if (edit.newName) {
      ui::renameUserPreset(*store, edit.name, *edit.newName);
    } else {
      ui::deleteUserPreset(*store, edit.name);
    }
  }
  store->sync();
  refreshPresetsMenu(window, *store);
}

void installPresetCommands(ui::frmMain& window) {
  QMenu* presets = window.presetsMenu();
  if (presets == nullptr) return;
  QObject::connect(presets, &QMenu::triggered, &window, [&window](QAction* action) {
    // The menu's own items (元に戻す, the editing of presets) carry no preset's name.
    const QString name = action->data().toString();
    if (name.isEmpty()) return;
    const auto store = ui::openUserSettings();
    if (const auto applied = ui::withPreset(window.settings().settings(), *store, name))
      applySettingsStep(window, name, *applied);
  });
  refreshPresetsMenu(window, *ui::openUserSettings());
}

}  // namespace zelvato
