// The window's settings model: the editing rules, the change signal, the page
// size, and the settings file it is remembered in.
#include "settings_model.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "option_controls.h"
#include "options/option_table.h"
#include "write/registry/writer_registry.h"

using zelvato::ConversionSettings;
using zelvato::findOption;
using zelvato::OptionEntry;
using namespace zelvato::ui;

namespace {

// "key=value": an edit of the option `key`, as its control makes it.
void edit(SettingsModel& model, const QString& change) {
  const QString key = change.section(u'=', 0, 0);
  const QString value = change.section(u'=', 1);
  const OptionEntry& option = *findOption(key.toStdString());
  if (shownAsCheckBox(option)) {
    model.editChecked(option, value == QLatin1String("true"));
  } else {
    model.editText(option, value);
  }
}

QString valueOf(const SettingsModel& model, const QString& key) {
  const OptionEntry& option = *findOption(key.toStdString());
  if (shownAsCheckBox(option))
    return model.isChecked(option) ? QStringLiteral("true") : QStringLiteral("false");
  return model.text(option);
}

// The settings a settings file of these bytes gives.
WindowSettings loadedFrom(const QByteArray& bytes) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("zelvato.ini"));
  QFile written(path);
  if (!written.open(QIODevice::WriteOnly) || written.write(bytes) != bytes.size()) return {};
  written.close();
  return SettingsModel::load(QSettings(path, QSettings::IniFormat));
}

}  // namespace

class SettingsModelTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void editingRules_data() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("a font size sets both spacings") << QStringList{"lineSpacingPt=3", "fontSizePt=10.5"}
                                                    << QStringList{"charSpacingPt=10", "lineSpacingPt=0"};
    QTest::newRow("11.5 rounds to even 12")
        << QStringList{"fontSizePt=11.5"} << QStringList{"charSpacingPt=12"};
    QTest::newRow("an empty font size becomes 6")
        << QStringList{"fontSizePt="} << QStringList{"fontSizePt=6", "charSpacingPt=6"};
    QTest::newRow("above the spinner's range the spacing stops at 30")
        << QStringList{"fontSizePt=48"} << QStringList{"fontSizePt=48", "charSpacingPt=30"};
    QTest::newRow("a size beyond 32 bits keeps the character spacing")
        << QStringList{"lineSpacingPt=3", "fontSizePt=1E300"}
        << QStringList{"charSpacingPt=9", "lineSpacingPt=0"};
    QTest::newRow("without a style sheet the spacing is the font's")
        << QStringList{"charSpacingPt=5", "lineSpacingPt=4", "useStyleSheet=false"}
        << QStringList{"charSpacingPt=9", "lineSpacingPt=0"};
    QTest::newRow("the style sheet back on keeps the spacings")
        << QStringList{"useStyleSheet=false", "charSpacingPt=5", "useStyleSheet=true"}
        << QStringList{"charSpacingPt=5"};
    for (const char* below : {"0", "-3", "", "abc"})
      QTest::addRow("column blocks '%s' become 1", below)
          << QStringList{QStringLiteral("columnsPerPage=") + QLatin1String(below)}
          << QStringList{"columnsPerPage=1"};
    QTest::newRow("column blocks above the spinner's range stay")
        << QStringList{"columnsPerPage=250"} << QStringList{"columnsPerPage=250"};
    QTest::newRow("a measure keeps what is typed")
        << QStringList{"charsPerLine=500", "linesPerColumn=12abc"}
        << QStringList{"charsPerLine=500", "linesPerColumn=12abc", "charSpacingPt=9"};
    QTest::newRow("a text takes any text, the empty one too")
        << QStringList{"htmlTitle="} << QStringList{"htmlTitle="};
  }
  void editingRules() {
    QFETCH(QStringList, edits);
    QFETCH(QStringList, expected);
    SettingsModel model;
    for (const QString& change : edits) edit(model, change);
    for (const QString& result : expected)
      QCOMPARE(result.section(u'=', 0, 0) + u'=' + valueOf(model, result.section(u'=', 0, 0)), result);
  }

  void eachChangeIsSignalledOnceByItsKey_data() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("signalled");
    QTest::newRow("one field") << QStringList{"charsPerLine=30"} << QStringList{"charsPerLine"};
    QTest::newRow("the same value again") << QStringList{"charsPerLine=25"} << QStringList{};
    QTest::newRow("a font size and the spacings it sets")
        << QStringList{"fontSizePt=12"} << QStringList{"fontSizePt", "charSpacingPt"};
    QTest::newRow("a check box") << QStringList{"showGrid=true", "showGrid=true"} << QStringList{"showGrid"};
  }
  void eachChangeIsSignalledOnceByItsKey() {
    QFETCH(QStringList, edits);
    QFETCH(QStringList, signalled);
    SettingsModel model;
    QSignalSpy changed(&model, &SettingsModel::changed);
    for (const QString& change : edits) edit(model, change);
    QStringList keys;
    for (const QList<QVariant>& arguments : changed) keys << arguments.at(0).toString();
    QCOMPARE(keys, signalled);
  }

  // A whole set is taken as it is, without the rules, and only what changed is signalled.
  void resetTakesTheSettingsAsTheyAre() {
    SettingsModel model;
    WindowSettings chosen;
    chosen.conversion.fontSizePt = u"12";
    chosen.conversion.charSpacingPt = u"3";
    chosen.conversion.outputMode = zelvato::writerKeys::epub;
    chosen.autoPreview = true;
    QSignalSpy changed(&model, &SettingsModel::changed);
    model.reset(chosen);
    QStringList keys;
    for (const QList<QVariant>& arguments : changed) keys << arguments.at(0).toString();
    keys.sort();
    QCOMPARE(keys, (QStringList{"autoPreview", "charSpacingPt", "fontSizePt", "outputMode"}));
    QCOMPARE(model.text(*findOption("charSpacingPt")), QStringLiteral("3"));
    changed.clear();
    model.reset(chosen);
    QCOMPARE(changed.size(), 0);
  }

  void pageSizeFollowsTheMeasures_data() {
    QTest::addColumn<QStringList>("measures");  // font, chars, char spacing, lines, line spacing
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::newRow("start values") << QStringList{"9", "25", "9", "20", "0"} << "127"
                                  << "158";
    QTest::newRow("font 10.5, 30 chars, spacing -2, 15 lines, 3")
        << QStringList{"10.5", "30", "-2", "15", "3"} << "127"
        << "90";
    QTest::newRow("12 followed by letters counts as 12") << QStringList{"9", "25", "9", "12abc", "0"} << "76"
                                                         << "158";
    QTest::newRow("huge values still show a number")
        << QStringList{"9", "25", "9", "1E300", "0"} << QString::number(9 * 0.3514 * 2e300, 'f', 0) << "158";
    for (int i = 1; i < 5; ++i) {
      QStringList measures{"9", "25", "9", "20", "0"};
      measures[i] = QString();
      QTest::addRow("empty measure %d gives none", i) << measures << QString() << QString();
    }
  }
  void pageSizeFollowsTheMeasures() {
    QFETCH(QStringList, measures);
    QFETCH(QString, width);
    QFETCH(QString, height);
    ConversionSettings s;
    s.fontSizePt = measures[0].toStdU16String();
    s.charsPerLine = measures[1].toStdU16String();
    s.charSpacingPt = measures[2].toStdU16String();
    s.linesPerColumn = measures[3].toStdU16String();
    s.lineSpacingPt = measures[4].toStdU16String();
    const std::optional<PageSize> size = pageSize(s);
    QCOMPARE(size.has_value(), !width.isEmpty());
    if (size) {
      QCOMPARE(size->width, width);
      QCOMPARE(size->height, height);
    }
  }

  // Every setting the window shows is written to the settings file and read back.
  void everySettingIsRememberedAndRestored_data() {
    QTest::addColumn<QString>("key");
    for (const OptionEntry* o : windowOptions())
      QTest::newRow(std::string(o->key).c_str()) << QString::fromLatin1(o->key.data(), o->key.size());
    QTest::newRow("output mode") << SettingsModel::outputModeKey;
    for (const zelvato::WriterEntry& w : zelvato::writerRegistry())
      if (!w.pathSettingsKey.empty())
        QTest::newRow(SettingsModel::outputPathKey(w).toUtf8()) << SettingsModel::outputPathKey(w);
    QTest::newRow("automatic preview") << SettingsModel::autoPreviewKey;
  }
  void everySettingIsRememberedAndRestored() {
    QFETCH(QString, key);
    WindowSettings chosen;
    ConversionSettings& s = chosen.conversion;
    if (key == SettingsModel::outputModeKey) {
      s.outputMode = zelvato::writerKeys::pageFiles;
    } else if (key == SettingsModel::autoPreviewKey) {
      chosen.autoPreview = true;
    } else if (key.startsWith(QStringLiteral("outputPath/"))) {
      zelvato::setOutputPath(s, *zelvato::findWriter(key.section(QLatin1Char('/'), 1).toStdString()),
                             u"/縦書き/" + key.toStdU16String());
    } else {
      const OptionEntry& o = *findOption(key.toStdString());
      if (o.text != nullptr) s.*o.text = u"縦書き/" + key.toStdU16String();
      if (o.number != nullptr) s.*o.number = u"17.5";
      if (shownAsCheckBox(o))
        setChecked(o, s, !checkedFor(o, s));
      else if (o.setChoice != nullptr)
        o.setChoice(s, o.choiceOf(s) == 0 ? 1 : 0);
    }
    QTemporaryDir dir;
    QSettings file(dir.filePath(QStringLiteral("zelvato.ini")), QSettings::IniFormat);
    SettingsModel model;
    model.reset(chosen);
    model.store(file, QStringLiteral("presets/mine"));
    file.sync();
    SettingsModel restored;
    restored.reset(SettingsModel::load(file, QStringLiteral("presets/mine")));
    for (const OptionEntry* o : windowOptions()) {
      QCOMPARE(restored.text(*o), model.text(*o));
      QCOMPARE(restored.isChecked(*o), model.isChecked(*o));
      QCOMPARE(restored.choice(*o), model.choice(*o));
    }
    QCOMPARE(restored.conversion().outputMode, s.outputMode);
    for (const zelvato::WriterEntry& w : zelvato::writerRegistry())
      QCOMPARE(restored.outputPath(w), model.outputPath(w));
    QCOMPARE(restored.settings().autoPreview, chosen.autoPreview);
    // Nothing was remembered outside the group.
    QVERIFY(SettingsModel::load(file).conversion.charsPerLine == ConversionSettings{}.charsPerLine);
  }

  // The files of earlier releases name the settings by these keys; each still reaches its field.
  void earlierSettingsFilesStillLoad_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("font size") << QByteArray("[font]\nsize=12\n") << "fontSizePt"
                               << "12";
    QTest::newRow("font face") << QByteArray("[font]\nface=IPAGothic\n") << "fontFace"
                               << "IPAGothic";
    QTest::newRow("character spacing") << QByteArray("[layout]\ncharSpacing=4\n") << "charSpacingPt"
                                       << "4";
    QTest::newRow("style sheet") << QByteArray("[layout]\nstyleSheet=false\n") << "useStyleSheet"
                                 << "false";
    QTest::newRow("centring") << QByteArray("[layout]\ncenter=false\n") << "centerText"
                              << "false";
    QTest::newRow("base name") << QByteArray("[output]\nbaseName=page\n") << "fileBaseName"
                               << "page";
    QTest::newRow("reading text") << QByteArray("[output]\nreadingText=true\n") << "accessibleText"
                                  << "true";
    QTest::newRow("encoding") << QByteArray("[output]\nencoding=1\n") << "outputEncoding"
                              << "1";
    QTest::newRow("ruby") << QByteArray("[typeset]\nruby=1\n") << "rubyMode"
                          << "1";
    QTest::newRow("style") << QByteArray("[typeset]\nstyle=1\n") << "textStyle"
                           << "1";
    QTest::newRow("a choice word that is refused") << QByteArray("[typeset]\nruby=-1\n") << "rubyMode"
                                                   << "0";
  }
  void earlierSettingsFilesStillLoad() {
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QString, value);
    SettingsModel model;
    model.reset(loadedFrom(file));
    const OptionEntry& o = *findOption(key.toStdString());
    const QString read = o.text != nullptr || o.number != nullptr ? model.text(o)
                         : shownAsCheckBox(o)
                             ? (model.isChecked(o) ? QStringLiteral("true") : QStringLiteral("false"))
                             : QString::number(model.choice(o));
    QCOMPARE(read, value);
  }

  // The medium is remembered by the number earlier releases wrote ("0" to "3"),
  // its file or folder under the name they used.
  void earlierOutputChoicesStillLoad_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("medium");
    QTest::addColumn<QString>("path");
    QTest::newRow("no file") << QByteArray("[output]\nmode=0\n") << "show"
                             << "show"
                             << "";
    QTest::newRow("single file") << QByteArray("[output]\nmode=1\nfile=/x/a.html\n") << "single"
                                 << "single"
                                 << "/x/a.html";
    QTest::newRow("page files") << QByteArray("[output]\nmode=2\nfolder=/x/\n") << "pages"
                                << "pages"
                                << "/x/";
    QTest::newRow("book") << QByteArray("[output]\nmode=3\nepubFile=/x/a.epub\n") << "epub"
                          << "epub"
                          << "/x/a.epub";
    QTest::newRow("a mode no release wrote") << QByteArray("[output]\nmode=99\nfile=/x/a.html\n") << "show"
                                             << "single"
                                             << "/x/a.html";
  }
  void earlierOutputChoicesStillLoad() {
    QFETCH(QByteArray, file);
    QFETCH(QString, mode);
    QFETCH(QString, medium);
    QFETCH(QString, path);
    SettingsModel model;
    model.reset(loadedFrom(file));
    QCOMPARE(QString::fromStdString(model.conversion().outputMode), mode);
    QCOMPARE(model.outputPath(*zelvato::findWriter(medium.toStdString())), path);
  }
};

QTEST_MAIN(SettingsModelTest)
#include "settings_model_test.moc"
