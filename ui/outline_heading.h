#pragma once

#include <QList>
#include <QString>

namespace zelvato::ui {

// A heading of the source text, as the 見出し list shows it.
struct OutlineHeading {
  int level = 1;  // 1 大見出し, 2 中見出し, 3 小見出し
  QString text;
  int line = 0;  // the line of the source pane it begins on, from 0

  bool operator==(const OutlineHeading&) const = default;
};

using Outline = QList<OutlineHeading>;

}  // namespace zelvato::ui
