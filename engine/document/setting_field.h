#pragma once

namespace zelvato {

// A setting the user can be sent to: the record's fields the checks read, and
// the source text.
enum class SettingField {
  charsPerLine,
  charSpacingPt,
  linesPerColumn,
  lineSpacingPt,
  columnGapPx,
  tabWidth,
  fontSizePt,
  columnsPerPage,
  singleFilePath,
  epubFilePath,
  outputFolder,
  fileBaseName,
  htmlTitle,
  bodyTag,
  source,
};

}  // namespace zelvato
