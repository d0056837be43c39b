// A label that a screen reader reads as a name and a value: the name says what it is
// ("Указатель стека", "Состояние"), the value is what it shows now ("SP=F72F", "HLT на 8206").
// A change of the shown text is announced as a changed value.
#pragma once

#include <QLabel>

namespace tamrel {

class ValueLabel : public QLabel {
 public:
  ValueLabel(const QString& accessibleName, QWidget* parent);
  // Shows `text` and tells assistive technology that the value changed.
  void SetValue(const QString& text);
};

}  // namespace tamrel
