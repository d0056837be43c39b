// TForm4, never shown: at creation it asks the desktop to open the maker's page, and on its
// one tick, three seconds later, takes the main window out of stay-on-top.
#pragma once

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <functional>

namespace tamrel {

inline const QUrl kMakerPage(QStringLiteral("https://www.bervant.example/tamrel-emul/"));

class TForm4 : public QObject {
 public:
  using Opener = std::function<bool(const QUrl&)>;
  // `open` defaults to the desktop's own handler; its result is not used.
  TForm4(QWidget* mainWindow, Opener open = {});
  void Timer1Timer();

  QTimer* Timer1;

 private:
  QWidget* main_;
  bool ticked_ = false;
};

}  // namespace tamrel
