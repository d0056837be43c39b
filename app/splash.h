// TForm1, the splash: a frameless picture with rounded corners, shown while the main window
// is built, then hidden for good.
#pragma once

#include <QLabel>
#include <QWidget>
#include <memory>

#include "machine/machine.h"

namespace tamrel {

class TForm2;

class TForm1 : public QWidget {
 public:
  TForm1();
  ~TForm1() override;
  // Places, shapes and shows the splash, lets it paint, then builds the main window.
  std::unique_ptr<TForm2> FormCreate(const RandomSource& rnd);
  bool HasPicture() const { return !Image1->pixmap().isNull(); }

  QLabel* Image1;
};

// The title picture compiled into the program, decoded; a null image if it cannot be read.
QImage TitlePicture();

}  // namespace tamrel
