#pragma once

#include <QPixmap>
#include <QRect>
#include <QSize>

namespace zelvato {

// The splash window's title picture, 370 × 205 pixels.
inline constexpr QSize titlePictureSize{370, 205};

// The corner of the picture kept plain for the version label (picture pixels).
inline constexpr QRect titlePictureVersionArea{264, 144, 94, 14};

// Paints the title picture: washi paper, a manuscript column with 縦書き set
// top to bottom, a seal, and the name "Zelvato" in an ink circle.
QPixmap titlePicture();

}  // namespace zelvato
