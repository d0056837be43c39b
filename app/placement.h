// Where the windows stand, as plain functions of the screen size.
#pragma once

namespace tamrel {

struct Placement {
  int left, top, width, height;
  bool operator==(const Placement&) const = default;
};

// The main window: 800 x 600, centred along each screen dimension larger than that.
constexpr Placement MainWindowPlacement(int screenW, int screenH) {
  Placement p{0, 0, 800, 600};
  if (screenW > 800) p.left = screenW / 2 - 400;
  if (screenH > 600) p.top = screenH / 2 - 300;
  return p;
}

// The splash halves screen and window separately.
constexpr Placement SplashPlacement(int screenW, int screenH, int w, int h) {
  return {screenW / 2 - w / 2, screenH / 2 - h / 2, w, h};
}

// The About dialog halves the difference.
constexpr Placement AboutPlacement(int screenW, int screenH, int w, int h) {
  return {(screenW - w) / 2, (screenH - h) / 2, w, h};
}

}  // namespace tamrel
