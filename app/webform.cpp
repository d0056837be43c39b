#include "app/webform.h"

#include <QDesktopServices>
#include <QWindow>

namespace tamrel {

TForm4::TForm4(QWidget* mainWindow, Opener open) : QObject(mainWindow), main_(mainWindow) {
  if (!open) open = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  if (const QUrl page = GuidePage(); !page.isEmpty()) open(page);  // no browser: goes on silently
  Timer1 = new QTimer(this);
  Timer1->setInterval(3000);
  Timer1->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 5 % early
  Timer1->setSingleShot(true);
  connect(Timer1, &QTimer::timeout, this, &TForm4::Timer1Timer);
  Timer1->start();
}

void TForm4::Timer1Timer() {
  Timer1->stop();
  if (ticked_) return;
  ticked_ = true;
  // QWidget::setWindowFlags would destroy and re-create the native window (it blinks): tell
  // the widget and the platform window separately instead.
  const Qt::WindowFlags flags = main_->windowFlags() & ~Qt::WindowStaysOnTopHint;
  main_->overrideWindowFlags(flags);
  if (QWindow* w = main_->windowHandle()) w->setFlags(flags);
}

}  // namespace tamrel
