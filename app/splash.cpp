#include "app/splash.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>

#include "app/form2.h"
#include "app/jpeg.h"
#include "app/placement.h"

namespace tamrel {

QImage TitlePicture() {
  QFile f(QStringLiteral(":/title.jpg"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = f.readAll();
  return DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.constData()),
                    static_cast<size_t>(bytes.size()))
      .value_or(QImage());
}

TForm1::TForm1() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::SplashScreen) {
  setFixedSize(480, 371);
  Image1 = new QLabel(this);
  Image1->setGeometry(0, 0, 480, 371);
  const QImage picture = TitlePicture();
  if (!picture.isNull()) Image1->setPixmap(QPixmap::fromImage(picture));
}

TForm1::~TForm1() = default;

std::unique_ptr<TForm2> TForm1::FormCreate(const RandomSource& rnd) {
  const QSize screen = QGuiApplication::primaryScreen()->size();
  const Placement p = SplashPlacement(screen.width(), screen.height(), width(), height());
  move(p.left, p.top);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(0, 0, width(), height()), 10, 10);  // 20 x 20 corner ellipses
  setMask(QRegion(shape.toFillPolygon().toPolygon()));
  show();
  QCoreApplication::processEvents();
  auto form = std::make_unique<TForm2>();
  form->FormCreate(rnd, [this] { hide(); });
  return form;
}

}  // namespace tamrel
