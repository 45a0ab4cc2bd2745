#pragma once

namespace zelvato::ui {

// Windows and controls are designed in twips; 15 twips are one pixel at 96 dpi,
// rounded to the nearest pixel. Qt scales these device-independent pixels on
// high-dpi screens.
constexpr int px(int twips) {
  return (twips + 7) / 15;
}

}  // namespace zelvato::ui
