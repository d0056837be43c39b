// TForm4, never shown: at creation it asks the desktop to open the program's page, its own
// guide (app/guide.h), and on its one tick, three seconds later, takes the main window out of
// stay-on-top.
#pragma once

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <functional>

#include "app/guide.h"

namespace tamrel {

class TForm4 : public QObject {
 public:
  using Opener = std::function<bool(const QUrl&)>;
  // `open` defaults to the desktop's own handler; its result is not used. Without a guide
  // nothing is opened.
  TForm4(QWidget* mainWindow, Opener open = {});
  // An opener that opens nothing, for a start without the page.
  static bool OpenNothing(const QUrl&) { return true; }
  void Timer1Timer();

  QTimer* Timer1;

 private:
  QWidget* main_;
  bool ticked_ = false;
};

}  // namespace tamrel
