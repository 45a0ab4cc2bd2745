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
  outputPath,  // the file or folder of a medium that has no field of its own
  readingFontSize,
  readingLineHeight,
  source,
};

}  // namespace zelvato
