// TForm3, the About dialog: not modal, fixed size, centred on the screen. Every choice of the
// menu entry makes a new one; "Close" hides the one it belongs to.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace tamrel {

class TForm3 : public QDialog {
 public:
  explicit TForm3(QWidget* parent = nullptr);
  void FormCreate();  // places and shows it
  void Button1Click() { hide(); }

  QLabel *StaticText1, *StaticText2, *StaticText3, *StaticText4;
  QPushButton* Button1;
};

// The menu's "О программе": a new dialog each time, owned by `parent`.
TForm3* ShowAbout(QWidget* parent);

inline constexpr const char* kMakerName = "Bervant";

}  // namespace tamrel
