#include "output_choices.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QWidget>
#include <set>

#include "options/command_line.h"
#include "up_down.h"
#include "write/registry/writer_registry.h"

namespace zelvato::ui {

std::vector<const WriterEntry*> outputChoices() {
  std::vector<const WriterEntry*> offered;
  for (const WriterEntry& w : writerRegistry())
    if (!w.remembered.empty()) offered.push_back(&w);
  return offered;
}

int outputChoiceIndex(std::string_view key) {
  const std::vector<const WriterEntry*> choices = outputChoices();
  for (std::size_t i = 0; i < choices.size(); ++i)
    if (choices[i]->key == key) return static_cast<int>(i);
  return 0;
}

void enableMediumControls(QWidget& page, const ConversionSettings& settings, const QList<QWidget*>& keep) {
  const std::vector<const WriterEntry*> choices = outputChoices();
  const WriterEntry& current = *choices[static_cast<std::size_t>(outputChoiceIndex(settings.outputMode))];
  std::set<std::string_view> named, meant;
  for (const TextStyle style : {TextStyle::grid, TextStyle::flow}) {
    ConversionSettings either = settings;
    either.textStyle = style;
    for (const WriterEntry* w : choices)
      for (const std::string_view control : mediumControls(*w, either)) named.insert(control);
  }
  for (const std::string_view control : mediumControls(current, settings)) meant.insert(control);
  for (const WriterEntry* w : choices) named.erase(w->pathControl);
  for (const std::string_view control : named) {
    // The control itself, a choice's option buttons ("optEncoding(1)") and the spinner beside a box.
    const QString name = QString::fromLatin1(control.data(), static_cast<qsizetype>(control.size()));
    QList<QWidget*> widgets = page.findChildren<QWidget*>(
        QRegularExpression(QStringLiteral("^%1(\\(\\d+\\))?$").arg(QRegularExpression::escape(name))));
    for (UpDown* spin : page.findChildren<UpDown*>())
      if (widgets.contains(spin->buddy())) widgets.append(spin);
    for (QWidget* w : widgets)
      if (!keep.contains(w)) w->setEnabled(meant.count(control) > 0);
  }
}

QString chooserCaption(Destination destination) {
  return destination == Destination::folder ? QStringLiteral("出力先ﾌｫﾙﾀﾞの指定")
                                            : QStringLiteral("出力先ﾌｧｲﾙの指定");
}

QString chooserDialogTitle(Destination destination) {
  return destination == Destination::folder ? QStringLiteral("出力先ﾃﾞｨﾚｸﾄﾘの指定")
                                            : QStringLiteral("出力先ﾌｧｲﾙの指定");
}

QString qtText(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace zelvato::ui
