#pragma once

#include <string>
#include <string_view>

#include "document/document.h"
#include "document/number_text.h"

namespace zelvato::xhtml {

// The classes the content writes and the style sheet sets, named once.

// Indents and distances from the foot have classes up to this many cells.
inline constexpr int maxClassCells = 20;

// The CSS mark of each emphasis kind.
inline std::u16string_view emphasisStyle(EmphasisKind kind) {
  switch (kind) {
    case EmphasisKind::sesame:
      return u"sesame";
    case EmphasisKind::whiteSesame:
      return u"open sesame";
    case EmphasisKind::blackCircle:
      return u"filled circle";
    case EmphasisKind::whiteCircle:
      return u"open circle";
    case EmphasisKind::blackTriangle:
      return u"filled triangle";
    case EmphasisKind::whiteTriangle:
      return u"open triangle";
    case EmphasisKind::doubleCircle:
      return u"filled double-circle";
    case EmphasisKind::bullseye:
      return u"open double-circle";
    case EmphasisKind::cross:
      return u"'×'";
    case EmphasisKind::none:
      break;
  }
  return {};
}

inline constexpr EmphasisKind emphasisKinds[] = {
    EmphasisKind::sesame,       EmphasisKind::whiteSesame,   EmphasisKind::blackCircle,
    EmphasisKind::whiteCircle,  EmphasisKind::blackTriangle, EmphasisKind::whiteTriangle,
    EmphasisKind::doubleCircle, EmphasisKind::bullseye,      EmphasisKind::cross,
};

inline std::u16string emphasisClass(EmphasisKind kind) {
  return u"em" + formatNumber(static_cast<int>(kind), 1);
}

// The class of each kind of side line (傍線), a border beside the text, and its CSS style.
struct LineStyle {
  LineKind kind;
  std::u16string_view cls;
  std::u16string_view style;
};
inline constexpr LineStyle lineStyles[] = {
    {LineKind::solid, u"line1", u"solid"},  {LineKind::doubled, u"line2", u"double"},
    {LineKind::chain, u"linec", u"dotted"}, {LineKind::dashed, u"lined", u"dashed"},
    {LineKind::wavy, u"linew", u"wavy"},
};

inline std::u16string_view lineClass(LineKind kind) {
  for (const LineStyle& line : lineStyles)
    if (line.kind == kind) return line.cls;
  return lineStyles[0].cls;
}

// Size steps: s1..s9 larger, sm1..sm9 smaller.
inline std::u16string sizeClass(int step) {
  return (step < 0 ? u"sm" : u"s") + formatNumber(step < 0 ? -step : step, 1);
}

}  // namespace zelvato::xhtml
