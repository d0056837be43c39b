// Paints the listing's marks over each row as the style drew it, so that they show through the
// selection: a triangle in the address cell and a frame around the row of the PC, a red dot in
// the address cell of a row with a breakpoint. The texts stay as they are.
#pragma once

#include <QStyledItemDelegate>

namespace tamrel {

class RowMarks : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

inline QColor PcMarkColour() { return QColor(0, 110, 200); }
inline QColor BreakpointDotColour() { return QColor(200, 0, 0); }

}  // namespace tamrel
