#include "output_choices.h"

namespace zelvato::ui {

namespace {

const QString fileDialogTitle = QStringLiteral("出力先ﾌｧｲﾙの指定");
const QString fileFieldCaption = QStringLiteral("出力先ﾌｧｲﾙ名");
// The grid's own settings: the book is always UTF-8 and real text.
constexpr std::string_view gridFileOptions[] = {"outputEncoding", "accessibleText"};

std::vector<std::string_view> gridFileOptionsAnd(std::initializer_list<std::string_view> more) {
  std::vector<std::string_view> options(std::begin(gridFileOptions), std::end(gridFileOptions));
  options.insert(options.end(), more);
  return options;
}

}  // namespace

std::span<const OutputChoice> outputChoices() {
  static const std::vector<OutputChoice> choices{
      {.key = "show",
       .caption = QStringLiteral("HTMLﾌｧｲﾙは自動作成しない"),
       .enables = gridFileOptionsAnd({})},
      {.key = "single",
       .caption = QStringLiteral("一つのHTMLﾌｧｲﾙへ出力する"),
       .target = OutputTarget::file,
       .fieldCaption = fileFieldCaption,
       .chooser = "cmdFileSelect",
       .chooserCaption = fileDialogTitle,
       .dialogTitle = fileDialogTitle,
       .filter = QStringLiteral("HTMLﾌｧｲﾙ (*.html)"),
       .extension = QStringLiteral("html"),
       .enables = gridFileOptionsAnd({})},
      {.key = "pages",
       .caption = QStringLiteral("複数のHTMLﾌｧｲﾙへ分割出力する"),
       .target = OutputTarget::folder,
       .fieldCaption = QStringLiteral("出力先ﾌｫﾙﾀﾞ"),
       .chooser = "cmdFolderSelect",
       .chooserCaption = QStringLiteral("出力先ﾌｫﾙﾀﾞの指定"),
       .dialogTitle = QStringLiteral("出力先ﾃﾞｨﾚｸﾄﾘの指定"),
       .enables = gridFileOptionsAnd({"fileBaseName", "addPageLinks", "addPageNumbers", "columnsPerPage"})},
      {.key = "epub",
       .caption = QStringLiteral("EPUB (電子書籍)"),
       .target = OutputTarget::file,
       .fieldCaption = fileFieldCaption,
       .chooser = "cmdEpubSelect",
       .chooserCaption = fileDialogTitle,
       .dialogTitle = fileDialogTitle,
       .filter = QStringLiteral("EPUBﾌｧｲﾙ (*.epub)"),
       .extension = QStringLiteral("epub")},
  };
  return choices;
}

int outputChoiceIndex(std::string_view key) {
  const std::span<const OutputChoice> choices = outputChoices();
  for (std::size_t i = 0; i < choices.size(); ++i)
    if (choices[i].key == key) return static_cast<int>(i);
  return 0;
}

}  // namespace zelvato::ui
