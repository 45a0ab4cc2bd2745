// The presets as a user meets them in the window: a preset changes only the
// settings it holds, applying one (or the start values) is taken back by
// 元に戻す, and the user's own presets are renamed and deleted in a dialog,
// which the settings file keeps across starts.
#include "presets.h"

#include <QAction>
#include <QMap>
#include <QMenu>
#include <QSettings>
#include <QTest>
#include <memory>

#include "commands.h"
#include "frm_main.h"
#include "main_window_fixture.h"
#include "option_controls.h"
#include "options/option_table.h"
#include "settings_model.h"
#include "write/registry/writer_registry.h"

using namespace zelvato;
using namespace zelvato::testing;
using zelvato::ui::frmMain;
using zelvato::ui::PresetEdit;
using Values = QMap<QString, QString>;

Q_DECLARE_METATYPE(std::optional<QList<PresetEdit>>)

namespace {

QString settingsFile() {
  return runtimeFolder().filePath(QStringLiteral("config/zelvato/zelvato.ini"));
}

// An option's value as its control shows it: its text, "on"/"off" or the choice's number.
QString valueOf(const ui::SettingsModel& model, const OptionEntry& o) {
  if (o.text != nullptr || o.number != nullptr) return model.text(o);
  if (ui::shownAsCheckBox(o)) return model.isChecked(o) ? QStringLiteral("on") : QStringLiteral("off");
  return QString::number(model.choice(o));
}

void edit(ui::SettingsModel& model, const QString& key, const QString& value) {
  const OptionEntry& o = *findOption(key.toStdString());
  if (o.text != nullptr || o.number != nullptr) {
    model.editText(o, value);
  } else if (ui::shownAsCheckBox(o)) {
    model.editChecked(o, value == QLatin1String("on"));
  } else {
    model.editChoice(o, value.toInt());
  }
}

// Every setting of the window by its key, the medium's path among them.
Values everySetting(const ui::SettingsModel& model) {
  Values all;
  for (const OptionEntry* o : ui::windowOptions())
    all.insert(QString::fromLatin1(o->key), valueOf(model, *o));
  all.insert(QStringLiteral("singleFilePath"), model.outputPath(*findWriter(writerKeys::singleFile)));
  return all;
}

// The settings a user has made before choosing a preset: the page's
// measures and look, and what belongs to the text and its output.
const Values moved{
    {"charsPerLine", "7"},
    {"linesPerColumn", "8"},
    {"tabWidth", "2"},
    {"kinsoku", "on"},
    {"addRule", "on"},
    {"showGrid", "on"},
    {"htmlTitle", "吾輩は猫である"},
    {"fileBaseName", "neko"},
    {"aozoraNotation", "on"},
    {"outputEncoding", "1"},
    {"greyPaperLines", "1"},
};
// What a user's own preset was saved with (the title too, which it does not keep).
const Values saved{
    {"charsPerLine", "33"}, {"linesPerColumn", "11"}, {"tabWidth", "4"},           {"kinsoku", "off"},
    {"addRule", "off"},     {"showGrid", "on"},       {"htmlTitle", "保存時の題"}, {"greyPaperLines", "0"},
};
const QString ownPreset = QStringLiteral("私の原稿");

}  // namespace

class PresetsTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { prepareMainWindowTest(); }

 private:
  std::unique_ptr<FakeDialogs> dialogs;
  std::unique_ptr<frmMain> window;

  std::unique_ptr<frmMain> makeWindow() {
    auto w = std::make_unique<frmMain>(dialogs.get());
    connectCommands(*w);
    restoreUserSettings(*w);
    return w;
  }

  void setAll(const Values& values) {
    for (auto it = values.begin(); it != values.end(); ++it) edit(window->settings(), it.key(), it.value());
  }

  // The preset's item of the menu, as the user chooses it.
  QAction* presetItem(const QString& name) const {
    for (QAction* a : window->presetsMenu()->actions())
      if (a->data().toString() == name) return a;
    return nullptr;
  }

  QAction* menuItem(const char* name) const {
    return window->presetsMenu()->findChild<QAction*>(QLatin1String(name));
  }

  void savePreset(const QString& name, const Values& values) {
    setAll(values);
    dialogs->lines = {name};
    window->command("mnuSavePreset")->trigger();
  }

  // Applies a preset from the menu, or the start values from 既定値に戻す.
  bool apply(const QString& preset) {
    if (preset.isEmpty()) {
      window->command("mnuDefaults")->trigger();
      return true;
    }
    QAction* item = presetItem(preset);
    if (item == nullptr) return false;
    item->trigger();
    return true;
  }

  QStringList storedNames() const {
    QSettings store(settingsFile(), QSettings::IniFormat);
    return ui::userPresetNames(store);
  }

 private Q_SLOTS:
  void init() {
    QFile::remove(settingsFile());
    dialogs = std::make_unique<FakeDialogs>();
    window = makeWindow();
  }
  void cleanup() {
    window->setCloseGuard({});
    window->setCloseAllowed(true);
    window.reset();
    dialogs.reset();
  }

  void aPresetChangesOnlyTheSettingsItHolds_data() {
    QTest::addColumn<QString>("preset");
    // The settings the preset changes, with their values after it; every
    // other setting keeps its value ("start": the setting's start value).
    QTest::addColumn<Values>("changes");
    QTest::newRow("400字詰め原稿用紙: its grid and 禁則処理, nothing else")
        << ui::manuscriptPreset << Values{{"charsPerLine", "20"}, {"linesPerColumn", "20"}};
    const Values start{{"charsPerLine", "start"},  {"linesPerColumn", "start"}, {"tabWidth", "start"},
                       {"kinsoku", "start"},       {"addRule", "start"},        {"showGrid", "start"},
                       {"greyPaperLines", "start"}};
    QTest::newRow("既定値: the look's start values, the text's own settings kept")
        << ui::startValuesPreset << start;
    QTest::newRow("the user's own: what it was saved with, the title not among it")
        << ownPreset << Values{{"charsPerLine", "33"}, {"linesPerColumn", "11"}, {"tabWidth", "4"},
                               {"kinsoku", "off"},     {"addRule", "off"},       {"greyPaperLines", "0"}};
  }
  void aPresetChangesOnlyTheSettingsItHolds() {
    QFETCH(QString, preset);
    QFETCH(Values, changes);
    if (preset == ownPreset) savePreset(ownPreset, saved);
    setAll(moved);
    edit(window->settings(), QStringLiteral("kinsoku"), preset == ui::manuscriptPreset ? "off" : "on");
    window->settings().editOutputPath(*findWriter(writerKeys::singleFile), QStringLiteral("/tmp/neko.html"));
    const Values before = everySetting(window->settings());
    const Values startValues = everySetting(ui::SettingsModel());

    QVERIFY(apply(preset));
    const Values after = everySetting(window->settings());
    if (preset == ui::manuscriptPreset) changes.insert(QStringLiteral("kinsoku"), QStringLiteral("on"));
    for (auto it = before.begin(); it != before.end(); ++it) {
      QString expected = changes.value(it.key(), it.value());
      if (expected == QLatin1String("start")) expected = startValues.value(it.key());
      QVERIFY2(after.value(it.key()) == expected,
               qPrintable(it.key() + QStringLiteral(": ") + after.value(it.key()) + QStringLiteral(" for ") +
                          expected));
    }
    QVERIFY(window->statusText().contains(preset));
  }

  void applyingIsTakenBackByUndo_data() {
    QTest::addColumn<QString>("preset");
    QTest::newRow("400字詰め原稿用紙") << ui::manuscriptPreset;
    QTest::newRow("既定値") << ui::startValuesPreset;
    QTest::newRow("the user's own") << ownPreset;
    // The whole record back at its start values, output paths and all.
    QTest::newRow("既定値に戻す") << QString();
  }
  void applyingIsTakenBackByUndo() {
    QFETCH(QString, preset);
    savePreset(ownPreset, saved);
    QAction* undo = menuItem("mnuPresetUndo");
    QVERIFY(undo != nullptr);
    QVERIFY(!undo->isEnabled());
    setAll(moved);
    window->settings().editOutputPath(*findWriter(writerKeys::singleFile), QStringLiteral("/tmp/neko.html"));
    const Values before = everySetting(window->settings());

    QVERIFY(apply(preset));
    QVERIFY(everySetting(window->settings()) != before);
    QVERIFY(undo->isEnabled());
    // A setting edited after the preset, which the preset did not set, stays as edited.
    const bool titleKept = everySetting(window->settings()).value(QStringLiteral("htmlTitle")) ==
                           before.value(QStringLiteral("htmlTitle"));
    if (titleKept) edit(window->settings(), QStringLiteral("htmlTitle"), QStringLiteral("後で付けた題"));
    undo->trigger();
    Values expected = before;
    if (titleKept) expected.insert(QStringLiteral("htmlTitle"), QStringLiteral("後で付けた題"));
    QCOMPARE(everySetting(window->settings()), expected);
    // One step: taken back once.
    QVERIFY(!undo->isEnabled());
    undo->trigger();
    QCOMPARE(everySetting(window->settings()), expected);
  }

  void ownPresetsAreRenamedAndDeleted_data() {
    QTest::addColumn<std::optional<QList<PresetEdit>>>("edits");
    QTest::addColumn<QStringList>("names");
    // The preset's name now, and the one it was saved as: it keeps its settings.
    QTest::addColumn<QString>("renamed");
    QTest::addColumn<QString>("from");
    using Edits = std::optional<QList<PresetEdit>>;
    QTest::newRow("renamed") << Edits(QList<PresetEdit>{{"甲", QString("丙")}}) << QStringList{"丙", "乙"}
                             << "丙"
                             << "甲";
    QTest::newRow("deleted") << Edits(QList<PresetEdit>{{"乙", std::nullopt}}) << QStringList{"甲"} << "甲"
                             << "甲";
    QTest::newRow("renamed, then the new name deleted")
        << Edits(QList<PresetEdit>{{"甲", QString("丙")}, {"丙", std::nullopt}}) << QStringList{"乙"} << "乙"
        << "乙";
    QTest::newRow("a name already taken is refused")
        << Edits(QList<PresetEdit>{{"甲", QString("乙")}}) << QStringList{"乙", "甲"} << "乙"
        << "乙";
    QTest::newRow("a slash in the new name stays one preset")
        << Edits(QList<PresetEdit>{{"乙", QString("新/版")}}) << QStringList{"新_版", "甲"} << "新_版"
        << "乙";
    QTest::newRow("cancelled: nothing changes") << Edits() << QStringList{"乙", "甲"} << "甲"
                                                << "甲";
  }
  void ownPresetsAreRenamedAndDeleted() {
    QFETCH(std::optional<QList<PresetEdit>>, edits);
    QFETCH(QStringList, names);
    QFETCH(QString, renamed);
    QFETCH(QString, from);
    const QMap<QString, QString> widths{{QStringLiteral("甲"), QStringLiteral("31")},
                                        {QStringLiteral("乙"), QStringLiteral("32")}};
    for (auto it = widths.begin(); it != widths.end(); ++it)
      savePreset(it.key(), {{QStringLiteral("charsPerLine"), it.value()}});
    QVERIFY(menuItem("mnuPresetsEdit")->isEnabled());

    dialogs->presetEdits = {edits};
    menuItem("mnuPresetsEdit")->trigger();
    QCOMPARE(dialogs->of(Asked::Kind::presets).size(), 1);
    QCOMPARE(dialogs->of(Asked::Kind::presets).first().items, (QStringList{"乙", "甲"}));
    QCOMPARE(storedNames(), names);

    // The next start offers the presets as they are now, and each applies what it was saved with.
    window->setCloseAllowed(true);
    window = makeWindow();
    for (const QString& name : names) QVERIFY2(presetItem(name) != nullptr, qPrintable(name));
    for (const QString& gone : {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")})
      if (!names.contains(gone)) QVERIFY2(presetItem(gone) == nullptr, qPrintable(gone));
    edit(window->settings(), QStringLiteral("charsPerLine"), QStringLiteral("9"));
    QVERIFY(apply(renamed));
    QCOMPARE(window->settings().text(*findOption("charsPerLine")), widths.value(from));
  }

  void withoutOwnPresetsThereIsNothingToRename() { QVERIFY(!menuItem("mnuPresetsEdit")->isEnabled()); }
};

QTEST_MAIN(PresetsTest)
#include "presets_test.moc"
