#include "settings_model.h"

#include <QSettings>
#include <algorithm>
#include <utility>

#include "option_controls.h"
#include "options/option_table.h"
#include "write/registry/writer_registry.h"

namespace zelvato::ui {

namespace {

using S = ConversionSettings;

constexpr struct {
  NumberField S::*field;
  SpinnerRange range;
} spinnerRanges[] = {
    {&S::charsPerLine, {0, 200, 1}},   {&S::charSpacingPt, {-30, 30, 1}}, {&S::linesPerColumn, {0, 200, 1}},
    {&S::lineSpacingPt, {-30, 30, 1}}, {&S::columnGapPx, {0, 20, 2}},     {&S::tabWidth, {0, 10, 1}},
    {&S::columnsPerPage, {1, 100, 1}},
};

// The names earlier releases remembered these options under; every other
// option is remembered under its group and its settings key (or its key).
constexpr std::pair<std::string_view, const char*> earlierNames[] = {
    {"fontFace", "font/face"},
    {"fontSizePt", "font/size"},
    {"useStyleSheet", "layout/styleSheet"},
    {"charSpacingPt", "layout/charSpacing"},
    {"lineSpacingPt", "layout/lineSpacing"},
    {"columnGapPx", "layout/columnGap"},
    {"showGrid", "layout/grid"},
    {"addRule", "layout/rule"},
    {"centerText", "layout/center"},
    {"fileBaseName", "output/baseName"},
    {"htmlTitle", "output/title"},
    {"addPageLinks", "output/pageLinks"},
    {"addPageNumbers", "output/pageNumbers"},
    {"outputEncoding", "output/encoding"},
    {"accessibleText", "output/readingText"},
    {"rubyMode", "typeset/ruby"},
    {"textStyle", "typeset/style"},
};
const QString outputModeName = QStringLiteral("output/mode");
const QString autoPreviewName = QStringLiteral("preview/auto");

QString groupName(OptionGroup group) {
  switch (group) {
    case OptionGroup::layout:
      return QStringLiteral("layout");
    case OptionGroup::typesetting:
      return QStringLiteral("typeset");
    case OptionGroup::output:
      return QStringLiteral("output");
    case OptionGroup::book:
      return QStringLiteral("book");
    case OptionGroup::other:
      break;
  }
  return QStringLiteral("other");
}

QString keyIn(const QString& group, const QString& key) {
  return group.isEmpty() ? key : group + QLatin1Char('/') + key;
}

QString flag(bool on) {
  return on ? QStringLiteral("true") : QStringLiteral("false");
}

// A stored text; a hand-edited value that reads as a list or as anything else is refused.
std::optional<QString> storedText(const QSettings& file, const QString& key) {
  const QVariant stored = file.value(key);
  if (stored.typeId() != QMetaType::QString) return std::nullopt;
  return stored.toString();
}

std::optional<bool> storedFlag(const QSettings& file, const QString& key) {
  const std::optional<QString> text = storedText(file, key);
  if (text == QLatin1String("true")) return true;
  if (text == QLatin1String("false")) return false;
  return std::nullopt;
}

std::optional<int> storedIndex(const QSettings& file, const QString& key) {
  const std::optional<QString> text = storedText(file, key);
  bool ok = false;
  const int value = text ? text->toInt(&ok) : 0;
  if (!ok) return std::nullopt;
  return value;
}

bool offered(const OptionEntry& option, int value) {
  return std::any_of(option.choices.begin(), option.choices.end(),
                     [value](const OptionChoice& c) { return c.value == value && c.refusal.empty(); });
}

QString textIn(const ConversionSettings& s, const OptionEntry& option) {
  if (option.text != nullptr) return QString::fromStdU16String(s.*option.text);
  if (option.number != nullptr) return QString::fromStdU16String((s.*option.number).typed());
  return {};
}

int choiceIn(const ConversionSettings& s, const OptionEntry& option) {
  return option.choiceOf != nullptr ? option.choiceOf(s) : 0;
}

// The two records show the option alike.
bool sameIn(const ConversionSettings& a, const ConversionSettings& b, const OptionEntry& option) {
  return textIn(a, option) == textIn(b, option) && checkedFor(option, a) == checkedFor(option, b) &&
         choiceIn(a, option) == choiceIn(b, option);
}

}  // namespace

QString keyOf(const OptionEntry& option) {
  return latin(option.key);
}

const SpinnerRange* spinnerRange(const OptionEntry& option) {
  for (const auto& s : spinnerRanges)
    if (option.number != nullptr && s.field == option.number) return &s.range;
  return nullptr;
}

std::optional<PageSize> pageSize(const ConversionSettings& s) {
  for (const NumberField* measure : {&s.charsPerLine, &s.charSpacingPt, &s.linesPerColumn, &s.lineSpacingPt})
    if (measure->empty()) return std::nullopt;
  // A rounded measure as decimal text; beyond 32 bits it is still a number.
  const auto wholeText = [](double value) {
    if (const auto n = toWholeNumber(value)) return QString::number(*n);
    return QString::number(roundHalfEven(value), 'f', 0);
  };
  constexpr double mmPerPoint = 0.3514;
  const double size = s.fontSizePt.value();
  const double chars = s.charsPerLine.value();
  const double lines = s.linesPerColumn.value();
  // Each product in the order written; the first term is rounded before it is added.
  const double w1 = roundHalfEven(size * mmPerPoint * (lines + lines));
  const double h1 = roundHalfEven(size * mmPerPoint * chars);
  return PageSize{wholeText(s.lineSpacingPt.value() * mmPerPoint * lines + w1),
                  wholeText(s.charSpacingPt.value() * mmPerPoint * chars + h1)};
}

SettingsModel::SettingsModel(QObject* parent) : QObject(parent) {
  setObjectName(QStringLiteral("settingsModel"));
}

QString SettingsModel::text(const OptionEntry& option) const {
  return textIn(settings_.conversion, option);
}

bool SettingsModel::isChecked(const OptionEntry& option) const {
  return checkedFor(option, settings_.conversion);
}

int SettingsModel::choice(const OptionEntry& option) const {
  return choiceIn(settings_.conversion, option);
}

bool SettingsModel::assign(const OptionEntry& option, const QString& text) {
  ConversionSettings& s = settings_.conversion;
  const std::u16string value = text.toStdU16String();
  if (option.text != nullptr) {
    if (s.*option.text == value) return false;
    s.*option.text = value;
    return true;
  }
  if (option.number != nullptr) {
    if ((s.*option.number).typed() == value) return false;
    s.*option.number = NumberField(value);
    return true;
  }
  return false;
}

void SettingsModel::editText(const OptionEntry& option, const QString& text) {
  QString value = text;
  if (option.number == &S::fontSizePt && value.isEmpty()) value = QStringLiteral("6");
  if (option.number == &S::columnsPerPage &&
      (value.isEmpty() || NumberField(value.toStdU16String()).value() <= 0))
    value = QStringLiteral("1");
  if (!assign(option, value)) return;
  Q_EMIT changed(keyOf(option));
  if (option.number == &S::fontSizePt) spacingFollowsFontSize();
}

void SettingsModel::editChecked(const OptionEntry& option, bool checked) {
  if (isChecked(option) == checked) return;
  const ConversionSettings before = settings_.conversion;
  setChecked(option, settings_.conversion, checked);
  // The source is read in one notation: the Aozora check box chooses it over the sites'.
  if (option.onOff == &S::aozoraNotation && checked) settings_.conversion.webNotation = false;
  announce(option, before);
  // Without a style sheet the spacing is the font's own.
  if (option.onOff == &S::useStyleSheet && !checked) spacingFollowsFontSize();
}

void SettingsModel::editChoice(const OptionEntry& option, int value) {
  if (option.setChoice == nullptr || choice(option) == value) return;
  const ConversionSettings before = settings_.conversion;
  option.setChoice(settings_.conversion, value);
  announce(option, before);
}

void SettingsModel::announce(const OptionEntry& edited, const ConversionSettings& before) {
  Q_EMIT changed(keyOf(edited));
  // Two options may show one field (the notation's choice and the Aozora
  // check box): every other control showing a changed field hears of it too.
  for (const OptionEntry* o : windowOptions())
    if (o != &edited && !sameIn(before, settings_.conversion, *o)) Q_EMIT changed(keyOf(*o));
}

void SettingsModel::setOutputMode(std::string_view key) {
  if (settings_.conversion.outputMode == key) return;
  settings_.conversion.outputMode = std::string(key);
  Q_EMIT changed(outputModeKey);
}

QString SettingsModel::outputPath(const WriterEntry& writer) const {
  return QString::fromStdU16String(zelvato::outputPath(settings_.conversion, writer));
}

void SettingsModel::editOutputPath(const WriterEntry& writer, const QString& path) {
  if (outputPath(writer) == path) return;
  setOutputPath(settings_.conversion, writer, path.toStdU16String());
  Q_EMIT changed(outputPathKey(writer));
}

QString SettingsModel::outputPathKey(const WriterEntry& writer) {
  return QStringLiteral("outputPath/") + latin(writer.key);
}

void SettingsModel::setAutoPreview(bool on) {
  if (settings_.autoPreview == on) return;
  settings_.autoPreview = on;
  Q_EMIT changed(autoPreviewKey);
}

void SettingsModel::spacingFollowsFontSize() {
  const OptionEntry* charSpacing = findOption("charSpacingPt");
  const OptionEntry* lineSpacing = findOption("lineSpacingPt");
  // A size that is no 32-bit whole number leaves the character spacing as it is.
  if (const auto size = toWholeNumber(settings_.conversion.fontSizePt.value())) {
    const SpinnerRange* range = spinnerRange(*charSpacing);
    const int spacing = std::clamp(*size, range->minimum, range->maximum);
    if (assign(*charSpacing, QString::number(spacing))) Q_EMIT changed(keyOf(*charSpacing));
  }
  if (assign(*lineSpacing, QStringLiteral("0"))) Q_EMIT changed(keyOf(*lineSpacing));
}

void SettingsModel::reset(const WindowSettings& settings) {
  const WindowSettings before = std::exchange(settings_, settings);
  for (const OptionEntry* o : windowOptions())
    if (!sameIn(before.conversion, settings_.conversion, *o)) Q_EMIT changed(keyOf(*o));
  if (before.conversion.outputMode != settings_.conversion.outputMode) Q_EMIT changed(outputModeKey);
  for (const WriterEntry& w : writerRegistry())
    if (zelvato::outputPath(before.conversion, w) != zelvato::outputPath(settings_.conversion, w))
      Q_EMIT changed(outputPathKey(w));
  if (before.autoPreview != settings_.autoPreview) Q_EMIT changed(autoPreviewKey);
}

QString SettingsModel::rememberedKey(const OptionEntry& option) {
  for (const auto& [key, name] : earlierNames)
    if (key == option.key) return QString::fromLatin1(name);
  const std::string_view name = option.settingsKey.empty() ? option.key : option.settingsKey;
  return groupName(option.group) + QLatin1Char('/') + latin(name);
}

void SettingsModel::store(QSettings& file, const QString& group, bool (*only)(const OptionEntry&)) const {
  for (const OptionEntry* o : windowOptions()) {
    if (only != nullptr && !only(*o)) continue;
    QString value;
    if (o->text != nullptr || o->number != nullptr) {
      value = text(*o);
    } else if (shownAsCheckBox(*o)) {
      value = flag(isChecked(*o));
    } else {
      value = QString::number(choice(*o));
    }
    file.setValue(keyIn(group, rememberedKey(*o)), value);
  }
  if (only != nullptr) return;
  // The medium by the value the window remembers it by ("0" to "3" for the
  // first four, as earlier releases wrote them), and every medium's path.
  const WriterEntry* chosen = chosenWriter(settings_.conversion);
  if (chosen != nullptr && !chosen->remembered.empty())
    file.setValue(keyIn(group, outputModeName), latin(chosen->remembered));
  for (const WriterEntry& w : writerRegistry())
    if (!w.pathSettingsKey.empty()) file.setValue(keyIn(group, latin(w.pathSettingsKey)), outputPath(w));
  file.setValue(keyIn(group, autoPreviewName), flag(settings_.autoPreview));
}

WindowSettings SettingsModel::load(const QSettings& file, const QString& group) {
  WindowSettings loaded;
  ConversionSettings& s = loaded.conversion;
  for (const OptionEntry* o : windowOptions()) {
    const QString key = keyIn(group, rememberedKey(*o));
    if (o->text != nullptr) {
      if (const auto value = storedText(file, key)) s.*o->text = value->toStdU16String();
    } else if (o->number != nullptr) {
      // A number field holds any text the user typed, but a stored value must be a number.
      bool number = false;
      const auto value = storedText(file, key);
      if (value) value->trimmed().toDouble(&number);
      if (number) s.*o->number = NumberField(value->toStdU16String());
    } else if (shownAsCheckBox(*o)) {
      if (const auto on = storedFlag(file, key)) setChecked(*o, s, *on);
    } else if (o->setChoice != nullptr) {
      if (const auto value = storedIndex(file, key); value && offered(*o, *value)) o->setChoice(s, *value);
    }
  }
  if (const auto remembered = storedText(file, keyIn(group, outputModeName)))
    if (const WriterEntry* w = writerRemembered(remembered->toStdString()))
      s.outputMode = std::string(w->key);
  for (const WriterEntry& w : writerRegistry())
    if (!w.pathSettingsKey.empty())
      if (const auto path = storedText(file, keyIn(group, latin(w.pathSettingsKey)));
          path && !path->isEmpty())
        setOutputPath(s, w, path->toStdU16String());
  if (const auto on = storedFlag(file, keyIn(group, autoPreviewName))) loaded.autoPreview = *on;
  return loaded;
}

}  // namespace zelvato::ui
