#include "output_choices.h"

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
