#include "app/windowfit.h"

#include <QEvent>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <algorithm>

namespace tamrel {

Placement FitIntoArea(Placement p, Placement area) {
  auto fit = [](int& pos, int& size, int areaPos, int areaSize) {
    size = std::min(size, areaSize);
    pos = std::clamp(pos, areaPos, areaPos + areaSize - size);
  };
  fit(p.left, p.width, area.left, area.width);
  fit(p.top, p.height, area.top, area.height);
  return p;
}

Placement AvailableArea(const QWidget& w) {
  const QScreen* s = w.screen();
  const QRect r = s ? s->availableGeometry() : QRect(0, 0, 800, 600);
  return {r.left(), r.top(), r.width(), r.height()};
}

void SetOuterGeometry(QWidget& w, Placement p) {
  const QSize frame = w.frameGeometry().size() - w.geometry().size();
  w.move(p.left, p.top);  // a window's position is its frame's
  w.resize(std::max(p.width - frame.width(), 1), std::max(p.height - frame.height(), 1));
}

namespace {

// Watches a window until its frame has a size, then places it once more and goes.
class FrameWatcher : public QObject {
 public:
  FrameWatcher(QWidget& w, std::function<void()> place)
      : QObject(&w), window_(w), place_(std::move(place)) {
    w.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    switch (e->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Show:
      case QEvent::Expose:
      case QEvent::UpdateRequest: break;
      default: return false;
    }
    if (window_.frameGeometry().size() == window_.geometry().size()) return false;
    window_.removeEventFilter(this);
    deleteLater();
    place_();
    return false;
  }

 private:
  QWidget& window_;
  std::function<void()> place_;
};

}  // namespace

void WhenFrameKnown(QWidget& w, std::function<void()> place) {
  if (w.frameGeometry().size() != w.geometry().size())
    place();
  else
    new FrameWatcher(w, std::move(place));
}

QScrollArea* MakeScrollable(QMainWindow& w) {
  QWidget* content = w.takeCentralWidget();
  // The layout's own margins: 8 pixels on the left, none at the top; the same on the far sides.
  const QRect children = content->childrenRect();
  content->setMinimumSize(children.right() + 1 + 8, children.bottom() + 1);
  auto* area = new QScrollArea(&w);
  area->setFrameShape(QFrame::NoFrame);
  area->setFocusPolicy(Qt::NoFocus);  // not a tab stop of its own
  area->setWidgetResizable(true);     // fills the window when that is larger
  area->setWidget(content);
  w.setCentralWidget(area);
  return area;
}

}  // namespace tamrel
