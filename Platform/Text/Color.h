#pragma once

namespace platform {

// An sRGB colour with components from 0 to 1.
struct Color {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;

  static Color withWhite(double white, double alpha = 1) { return {white, white, white, alpha}; }
  static Color white() { return withWhite(1); }
  static Color black() { return withWhite(0); }
  // The platform's neutral grey, used where a colour is not understood.
  static Color gray() { return withWhite(0.5); }

  friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace platform
