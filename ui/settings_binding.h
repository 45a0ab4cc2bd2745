#pragma once

class QWidget;

namespace zelvato::ui {

class SettingsModel;

// Binds every control under `root` that the option table names to the model,
// by the option's field: text boxes edit its text (through their spinner
// where they have one), check boxes its state, a choice's option buttons
// ("optRuby(1)") its value. An edit of a control edits the model; every
// change of the model, from whatever side, shows in the control. A value the
// model answers the user's typing with replaces the typed text and is
// selected, so the next key replaces it again.
void bindSettings(QWidget& root, SettingsModel& model);

}  // namespace zelvato::ui
