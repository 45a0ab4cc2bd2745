#include "manuscript_sheet.h"

namespace zelvato::print {

QSizeF paperSize(Paper paper) {
  const manuscript::Size size = manuscript::paperSize(paper);
  return {size.width, size.height};
}

QColor ruleColour(RuleColour colour) {
  const manuscript::Colour c = manuscript::ruleColour(colour);
  return QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green), static_cast<float>(c.blue));
}

}  // namespace zelvato::print
