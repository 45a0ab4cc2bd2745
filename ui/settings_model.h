#pragma once

#include <QObject>
#include <QString>
#include <optional>
#include <string_view>

#include "document/conversion_settings.h"

class QSettings;

namespace zelvato {
struct OptionEntry;
struct WriterEntry;
}  // namespace zelvato

namespace zelvato::ui {

// Everything the window's settings hold: the record a run copies, and what
// only the window keeps.
struct WindowSettings {
  ConversionSettings conversion;
  bool autoPreview = false;  // 自動ﾌﾟﾚﾋﾞｭｰ
};

// The range and step of a number field's spinner. Typed text may leave it;
// a rule that sets the field stays inside it.
struct SpinnerRange {
  int minimum;
  int maximum;
  int step;
};
// Nothing for a field without a spinner.
const SpinnerRange* spinnerRange(const OptionEntry& option);

// The page's width and height in millimetres as the layout page shows them,
// from the font size and the grid's measures; nothing while a measure is empty.
struct PageSize {
  QString width;
  QString height;
};
std::optional<PageSize> pageSize(const ConversionSettings& settings);

// The window's settings. The pages' controls edit it and show it, a run
// copies its record, and it is remembered in the user's settings file under
// keys made from the option table.
class SettingsModel : public QObject {
  Q_OBJECT

 public:
  explicit SettingsModel(QObject* parent = nullptr);

  const WindowSettings& settings() const { return settings_; }
  const ConversionSettings& conversion() const { return settings_.conversion; }

  // An option's value as its control shows it: the text of a text or number
  // option, the state of one shown as a check box, the value of a choice.
  QString text(const OptionEntry& option) const;
  bool isChecked(const OptionEntry& option) const;
  int choice(const OptionEntry& option) const;

  // The user's edits, one field at a time, with the rules that keep the
  // settings consistent: an empty font size becomes 6, and any new size sets
  // the character spacing to the size (as a whole number, inside its
  // spinner's range) and the line spacing to 0, as switching the style sheet
  // off does; column blocks per page below 1, or empty, become 1; the Aozora
  // check box, checked, chooses that notation over the sites'. An edit
  // that changes nothing raises nothing.
  void editText(const OptionEntry& option, const QString& text);
  void editChecked(const OptionEntry& option, bool checked);
  void editChoice(const OptionEntry& option, int value);
  // The medium a run writes, by its key in the writer registry.
  void setOutputMode(std::string_view key);
  // A medium's file or folder, kept for it whichever medium is chosen.
  QString outputPath(const WriterEntry& writer) const;
  void editOutputPath(const WriterEntry& writer, const QString& path);
  void setAutoPreview(bool on);

  // Takes a whole set of settings as it is (the start values, a preset, the
  // remembered settings): no editing rule runs.
  void reset(const WindowSettings& settings);

  // Writes every setting under `group` of the settings file; with `only`,
  // just the options it chooses (and not the medium, its paths or 自動ﾌﾟﾚﾋﾞｭｰ).
  void store(QSettings& file, const QString& group = {}, bool (*only)(const OptionEntry&) = nullptr) const;
  // The settings remembered under `group`; a key that is missing, of the
  // wrong kind or out of range gives its start value. Never fails.
  static WindowSettings load(const QSettings& file, const QString& group = {});

  // The key a setting is remembered under: the option's group and its
  // settings key (or its key), or the name an earlier release used.
  static QString rememberedKey(const OptionEntry& option);

  static inline const QString outputModeKey = QStringLiteral("outputMode");
  // The key a change of a medium's path is raised under: "outputPath/epub".
  static QString outputPathKey(const WriterEntry& writer);
  static inline const QString autoPreviewKey = QStringLiteral("autoPreview");

 Q_SIGNALS:
  // One setting changed: the option's key, outputModeKey, a medium's
  // outputPathKey or autoPreviewKey.
  void changed(const QString& key);

 private:
  // Sets one field; false when it held that value already.
  bool assign(const OptionEntry& option, const QString& text);
  void spacingFollowsFontSize();
  // Raises the edited option's change, then that of every other option it changed.
  void announce(const OptionEntry& edited, const ConversionSettings& before);

  WindowSettings settings_;
};

QString keyOf(const OptionEntry& option);

}  // namespace zelvato::ui
