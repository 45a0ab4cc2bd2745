// The remembered settings: one table binds each settings key to its control
// and its start value; saving, restoring, the start values and the presets all
// walk it.
#include "settings_store.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>

#include "frm_main.h"
#include "options/option_table.h"
#include "write/registry/writer_registry.h"

namespace zelvato::ui {

namespace {

QString text(const std::u16string& value) {
  return QString::fromStdU16String(value);
}
QString text(const NumberField& value) {
  return QString::fromStdU16String(value.typed());
}
QString flag(bool on) {
  return on ? QStringLiteral("true") : QStringLiteral("false");
}

QString option(const QString& group, int index) {
  return QStringLiteral("%1(%2)").arg(group).arg(index);
}

QString keyIn(const QString& group, const QString& key) {
  return group.isEmpty() ? key : group + QLatin1Char('/') + key;
}

QString latin(std::string_view name) {
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// The control's value as the table stores it.
QString valueOf(const frmMain& window, const SettingEntry& e) {
  switch (e.kind) {
    case SettingKind::text:
    case SettingKind::number:
      if (const auto* box = window.findChild<QLineEdit*>(e.control)) return box->text();
      return {};
    case SettingKind::check:
      if (const auto* box = window.findChild<QCheckBox*>(e.control))
        return flag(box->checkState() == Qt::Checked);
      return {};
    case SettingKind::choice:
      for (int i = 0; i < e.options; ++i) {
        const auto* button = window.findChild<QRadioButton*>(option(e.control, i));
        if (button && button->isChecked()) return QString::number(i);
      }
      return {};
  }
  return {};
}

// True when `value` is one the control can take.
bool acceptable(const SettingEntry& e, const QString& value) {
  switch (e.kind) {
    case SettingKind::text:
      return true;
    case SettingKind::number: {
      bool ok = false;
      value.trimmed().toDouble(&ok);
      return ok;
    }
    case SettingKind::check:
      return value == QLatin1String("true") || value == QLatin1String("false");
    case SettingKind::choice: {
      bool ok = false;
      const int i = value.toInt(&ok);
      return ok && i >= 0 && i < e.options;
    }
  }
  return false;
}

void setValue(frmMain& window, const SettingEntry& e, const QString& value) {
  switch (e.kind) {
    case SettingKind::text:
    case SettingKind::number:
      if (auto* box = window.findChild<QLineEdit*>(e.control)) box->setText(value);
      break;
    case SettingKind::check:
      if (auto* box = window.findChild<QCheckBox*>(e.control))
        box->setCheckState(value == QLatin1String("true") ? Qt::Checked : Qt::Unchecked);
      break;
    case SettingKind::choice:
      if (auto* button = window.findChild<QRadioButton*>(option(e.control, value.toInt())))
        button->setChecked(true);
      break;
  }
}

// The sample of the font shows the face and size the fields name.
void showFontSample(frmMain& window) {
  QLineEdit* sample = window.txtSampleFont();
  const auto* face = window.findChild<QLineEdit*>(QStringLiteral("txtFont(0)"));
  const auto* size = window.findChild<QLineEdit*>(QStringLiteral("txtFont(1)"));
  if (!sample || !face || !size) return;
  QFont font = sample->font();
  font.setFamily(face->text());
  bool ok = false;
  const double points = size->text().toDouble(&ok);
  if (ok && points > 0 && points < 1000) font.setPointSizeF(points);
  sample->setFont(font);
}

void applyValues(frmMain& window, const std::function<QString(const SettingEntry&)>& valueFor) {
  for (const SettingEntry& e : settingsTable()) setValue(window, e, valueFor(e));
  showFontSample(window);
  window.chkCSS_Click();
  window.optOutput_Click();
  window.chkTypeset_Click();
  window.updatePageSize();
}

const QString presetsGroup = QStringLiteral("presets");

}  // namespace

const std::vector<SettingEntry>& settingsTable() {
  using S = ConversionSettings;
  using K = SettingKind;
  static const std::vector<SettingEntry> table = [] {
    std::vector<SettingEntry> made{
        {"font/face", "txtFont(0)", K::text, 0, [](const S& s) { return text(s.fontFace); }},
        {"font/size", "txtFont(1)", K::number, 0, [](const S& s) { return text(s.fontSizePt); }},
        {"layout/styleSheet", "chkCSS", K::check, 0, [](const S& s) { return flag(s.useStyleSheet); }},
        {"layout/charsPerLine", "txtAppearance(0)", K::number, 0,
         [](const S& s) { return text(s.charsPerLine); }},
        {"layout/charSpacing", "txtAppearance(1)", K::number, 0,
         [](const S& s) { return text(s.charSpacingPt); }},
        {"layout/linesPerColumn", "txtAppearance(2)", K::number, 0,
         [](const S& s) { return text(s.linesPerColumn); }},
        {"layout/lineSpacing", "txtAppearance(3)", K::number, 0,
         [](const S& s) { return text(s.lineSpacingPt); }},
        {"layout/columnGap", "txtAppearance(4)", K::number, 0,
         [](const S& s) { return text(s.columnGapPx); }},
        {"layout/tabWidth", "txtAppearance(5)", K::number, 0, [](const S& s) { return text(s.tabWidth); }},
        {"layout/kanjiNumerals", "chkOpt(0)", K::check, 0, [](const S& s) { return flag(s.kanjiNumerals); }},
        {"layout/grid", "chkOpt(2)", K::check, 0, [](const S& s) { return flag(s.showGrid); }},
        {"layout/rule", "chkOpt(3)", K::check, 0, [](const S& s) { return flag(s.addRule); }},
        {"layout/center", "chkOpt(5)", K::check, 0, [](const S& s) { return flag(s.centerText); }},
        {"output/mode", "optOutput", K::choice, 4,
         [](const S& s) { return latin(chosenWriter(s)->remembered); }},
        {"output/file", "txtOutput(0)", K::text, 0, [](const S& s) { return text(s.singleFilePath); }},
        {"output/epubFile", "txtOutput(5)", K::text, 0, [](const S& s) { return text(s.epubFilePath); }},
        {"output/folder", "txtOutput(1)", K::text, 0, [](const S& s) { return text(s.outputFolder); }},
        {"output/baseName", "txtOutput(2)", K::text, 0, [](const S& s) { return text(s.fileBaseName); }},
        {"output/title", "txtOutput(3)", K::text, 0, [](const S& s) { return text(s.htmlTitle); }},
        {"output/bodyTag", "txtOutput(4)", K::text, 0, [](const S& s) { return text(s.bodyTag); }},
        {"output/pageLinks", "chkOutput(0)", K::check, 0, [](const S& s) { return flag(s.addPageLinks); }},
        {"output/pageNumbers", "chkOutput(1)", K::check, 0,
         [](const S& s) { return flag(s.addPageNumbers); }},
        {"output/columnsPerPage", "txtPageColum", K::number, 0,
         [](const S& s) { return text(s.columnsPerPage); }},
        {"output/encoding", "optEncoding", K::choice, 2,
         [](const S& s) { return QString::number(s.outputEncoding == OutputEncoding::utf8 ? 1 : 0); }},
        {"output/readingText", "chkAccessibleText", K::check, 0,
         [](const S& s) { return flag(s.accessibleText); }},
        {"typeset/ruby", "optRuby", K::choice, 2,
         [](const S& s) { return QString::number(static_cast<int>(s.rubyMode)); }},
        {"typeset/style", "optStyle", K::choice, 2,
         [](const S& s) { return QString::number(static_cast<int>(s.textStyle)); }},
        // The window's own option, off at start.
        {"preview/auto", "chkAutoPreview", K::check, 0, [](const S&) { return flag(false); }},
    };
    for (const OptionEntry* o : typesettingCheckBoxes()) {
      const std::string_view name = o->settingsKey.empty() ? o->key : o->settingsKey;
      made.push_back({QStringLiteral("typeset/") + latin(name), latin(o->control), K::check, 0,
                      [o](const S& s) { return flag(checkedFor(*o, s)); }});
    }
    return made;
  }();
  return table;
}

std::unique_ptr<QSettings> openUserSettings() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return std::make_unique<QSettings>(QDir(folder).filePath(QStringLiteral("zelvato/zelvato.ini")),
                                     QSettings::IniFormat);
}

void storeSettings(const frmMain& window, QSettings& store, const QString& group) {
  for (const SettingEntry& e : settingsTable()) store.setValue(keyIn(group, e.key), valueOf(window, e));
}

void restoreSettings(frmMain& window, const QSettings& store, const QString& group) {
  const ConversionSettings start;
  applyValues(window, [&](const SettingEntry& e) {
    const QVariant stored = store.value(keyIn(group, e.key));
    // A hand-edited value that reads as a list or a number of another kind is refused too.
    if (stored.typeId() == QMetaType::QString && acceptable(e, stored.toString())) return stored.toString();
    return e.start(start);
  });
}

void applyStartValues(frmMain& window) {
  const ConversionSettings start;
  applyValues(window, [&](const SettingEntry& e) { return e.start(start); });
}

void storeGeometry(const frmMain& window, QSettings& store) {
  store.setValue(QStringLiteral("window/geometry"), window.saveGeometry());
}

void restoreGeometry(frmMain& window, const QSettings& store) {
  const QVariant geometry = store.value(QStringLiteral("window/geometry"));
  if (geometry.typeId() == QMetaType::QByteArray) window.restoreGeometry(geometry.toByteArray());
}

QStringList userPresetNames(const QSettings& store) {
  QStringList names;
  const QStringList keys = store.allKeys();
  for (const QString& key : keys) {
    if (!key.startsWith(presetsGroup + QLatin1Char('/'))) continue;
    const QString name = key.section(QLatin1Char('/'), 1, 1);
    if (!name.isEmpty() && !names.contains(name)) names.append(name);
  }
  names.sort();
  return names;
}

void saveUserPreset(const frmMain& window, QSettings& store, const QString& name) {
  // A name is one key of the file: a slash would make it a group.
  QString key = name;
  key.replace(QLatin1Char('/'), QLatin1Char('_'));
  storeSettings(window, store, presetsGroup + QLatin1Char('/') + key);
}

bool applyPreset(frmMain& window, const QSettings& store, const QString& name) {
  if (name == startValuesPreset) {
    applyStartValues(window);
    return true;
  }
  if (name == manuscriptPreset) {
    // A sheet of manuscript paper: 20 characters by 20 lines, with the line-breaking rules.
    const ConversionSettings start;
    applyValues(window, [&](const SettingEntry& e) {
      if (e.key == QLatin1String("layout/charsPerLine") || e.key == QLatin1String("layout/linesPerColumn"))
        return QStringLiteral("20");
      if (e.key == QLatin1String("typeset/kinsoku")) return flag(true);
      return e.start(start);
    });
    return true;
  }
  if (!userPresetNames(store).contains(name)) return false;
  restoreSettings(window, store, presetsGroup + QLatin1Char('/') + name);
  return true;
}

void fillPresetsMenu(frmMain& window, const QSettings& store) {
  QMenu* menu = window.presetsMenu();
  menu->clear();
  const QStringList own = userPresetNames(store);
  int index = 0;
  const auto add = [&](const QString& name) {
    QAction* action = menu->addAction(name);
    action->setObjectName(QStringLiteral("mnuPreset(%1)").arg(index++));
    action->setData(name);
  };
  add(startValuesPreset);
  add(manuscriptPreset);
  if (!own.isEmpty()) menu->addSeparator();
  for (const QString& name : own) add(name);
}

QStringList recentFiles(const QSettings& store) {
  const QVariant stored = store.value(QStringLiteral("recentFiles"));
  QStringList files;
  if (stored.typeId() == QMetaType::QStringList) files = stored.toStringList();
  if (stored.typeId() == QMetaType::QString && !stored.toString().isEmpty()) files = {stored.toString()};
  files.removeDuplicates();
  return files.mid(0, recentFilesLimit);
}

void rememberRecentFile(QSettings& store, const QString& path) {
  QStringList files = recentFiles(store);
  files.removeAll(path);
  files.prepend(path);
  store.setValue(QStringLiteral("recentFiles"), files.mid(0, recentFilesLimit));
}

}  // namespace zelvato::ui
