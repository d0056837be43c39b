// Windows on small, scaled or decorated screens. The start-up rules place a window by its
// outer size (frame included); the frame is known only once the window manager has put one
// around the mapped window, so placing is done again at that moment. A main window larger
// than the screen's available area is cut down to it, and its content scrolls instead.
#pragma once

#include <QWidget>
#include <functional>

#include "app/placement.h"

class QMainWindow;
class QScrollArea;

namespace tamrel {

// `p` moved and, where it is larger, cut down so that it lies inside `area`; `p` itself when
// it lies inside already.
Placement FitIntoArea(Placement p, Placement area);

// The available area of the window's screen (the screen minus panels and docks).
Placement AvailableArea(const QWidget& w);

// Moves the window's frame to (left, top) and sizes the window so that its outer size, with
// the frame as far as it is known, is width x height.
void SetOuterGeometry(QWidget& w, Placement p);

// Runs `place` at once if the shown window has its frame already, otherwise as soon as the
// window manager has given it one. On a platform without frames nothing happens.
void WhenFrameKnown(QWidget& w, std::function<void()> place);

// Moves the main window's central widget into a scroll area. The content keeps the size that
// holds all of its children (their positions do not change) and scrolls when the window is
// smaller than that; a tab stop scrolled out of view is brought back when it takes focus.
QScrollArea* MakeScrollable(QMainWindow& w);

}  // namespace tamrel
