#include "app/valuelabel.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace tamrel {

namespace {

// The label's name stays its accessible name; its text is its value, read as text as well.
class ValueLabelAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit ValueLabelAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::StaticText) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Label()->text();
    if (t == QAccessible::Name) return widget()->accessibleName();
    return QAccessibleWidget::text(t);
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }

  // QAccessibleTextInterface: the shown text, read only.
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QString text(int start, int end) const override {
    return Label()->text().mid(start, end - start);
  }
  int characterCount() const override { return static_cast<int>(Label()->text().size()); }
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* start, int* end) const override {
    *start = *end = 0;
    return {};
  }

 private:
  const QLabel* Label() const { return static_cast<const QLabel*>(widget()); }
};

QAccessibleInterface* Factory(const QString& className, QObject* o) {
  if (className == QLatin1String("QLabel") && dynamic_cast<ValueLabel*>(o))
    return new ValueLabelAccessible(static_cast<QWidget*>(o));
  return nullptr;
}

}  // namespace

ValueLabel::ValueLabel(const QString& accessibleName, QWidget* parent) : QLabel(parent) {
  static const bool installed = (QAccessible::installFactory(Factory), true);
  (void)installed;
  setAccessibleName(accessibleName);
}

void ValueLabel::SetValue(const QString& text) {
  if (text == this->text()) return;
  const QString old = this->text();
  setText(text);
  QAccessibleValueChangeEvent value(this, text);
  QAccessible::updateAccessibility(&value);
  QAccessibleTextUpdateEvent update(this, 0, old, text);
  QAccessible::updateAccessibility(&update);
}

}  // namespace tamrel
