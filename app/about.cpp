#include "app/about.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "app/placement.h"
#include "app/windowfit.h"

namespace tamrel {

namespace {

QLabel* Text(QWidget* parent, const QString& text, int l, int t, int w, int h, int px) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(l, t, w, h);
  QFont f = label->font();
  f.setPixelSize(px);
  f.setBold(true);
  label->setFont(f);
  // The layout gives each text its place and width; where the system font is wider, the
  // label grows to the right rather than cut the text short.
  label->resize(std::max(w, label->sizeHint().width()), h);
  return label;
}

void Bevel(QWidget* parent, int top) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setGeometry(0, top, 313, 9);
}

}  // namespace

TForm3::TForm3(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(QStringLiteral("About"));
  setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(313, 145);
  setModal(false);
  Bevel(this, 0);
  StaticText1 = Text(this, QString::fromLatin1(kMakerName), 32, 8, 58, 17, 11);
  StaticText2 = Text(this, QStringLiteral("Tamrel Emul"), 24, 24, 148, 33, 24);
  Bevel(this, 64);
  StaticText3 = Text(this, QStringLiteral("Разработчик: ") + QString::fromLatin1(kMakerName), 8, 80,
                     232, 20, 13);
  StaticText4 = Text(this, QStringLiteral("2001 год"), 120, 104, 66, 20, 13);
  Button1 = new QPushButton(QStringLiteral("Close"), this);
  Button1->setGeometry(240, 120, 73, 25);
  QFont f = Button1->font();
  f.setPixelSize(13);
  f.setBold(true);
  Button1->setFont(f);
  connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
}

void TForm3::FormCreate() {
  // Centred by the outer size: without the frame now, and again once the frame is there.
  auto centre = [this] {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const QSize outer = frameGeometry().size();
    const Placement p =
        AboutPlacement(screen.width(), screen.height(), outer.width(), outer.height());
    move(p.left, p.top);
  };
  centre();
  show();
  WhenFrameKnown(*this, centre);
}

TForm3* ShowAbout(QWidget* parent) {
  auto* form = new TForm3(parent);
  form->FormCreate();
  return form;
}

}  // namespace tamrel
