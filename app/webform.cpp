#include "app/webform.h"

#include <QDesktopServices>

namespace tamrel {

TForm4::TForm4(QWidget* mainWindow, Opener open) : QObject(mainWindow), main_(mainWindow) {
  if (!open) open = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  if (const QUrl page = GuidePage(); !page.isEmpty()) open(page);  // no browser: goes on silently
  Timer1 = new QTimer(this);
  Timer1->setInterval(3000);
  Timer1->setSingleShot(true);
  connect(Timer1, &QTimer::timeout, this, &TForm4::Timer1Timer);
  Timer1->start();
}

void TForm4::Timer1Timer() {
  Timer1->stop();
  if (ticked_) return;
  ticked_ = true;
  const bool visible = main_->isVisible();
  main_->setWindowFlag(Qt::WindowStaysOnTopHint, false);  // hides the window on some platforms
  if (visible) main_->show();
}

}  // namespace tamrel
