#pragma once

namespace zelvato::pdf {

// Page geometry in points (1/72 inch), the origin at the page's top left and
// y growing downwards, as the text is laid out; the writer turns it into the
// file's own coordinates.
struct Point {
  double x = 0;
  double y = 0;
};

struct Size {
  double width = 0;
  double height = 0;
};

struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  double left() const { return x; }
  double top() const { return y; }
  double right() const { return x + width; }
  double bottom() const { return y + height; }
  Point centre() const { return {x + width / 2, y + height / 2}; }
  bool isEmpty() const { return width <= 0 || height <= 0; }
};

// A colour as red, green and blue shares from 0 to 1.
struct Colour {
  double red = 0;
  double green = 0;
  double blue = 0;

  static constexpr Colour fromRgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }
  bool operator==(const Colour&) const = default;
};

constexpr double pointsPerMillimetre = 72.0 / 25.4;

}  // namespace zelvato::pdf
