#include "app/rowmarks.h"

#include <QPainter>
#include <QPainterPath>

#include "app/listingmodel.h"
#include "listing/listing.h"

namespace tamrel {

void RowMarks::paint(QPainter* p, const QStyleOptionViewItem& option,
                     const QModelIndex& index) const {
  QStyledItemDelegate::paint(p, option, index);
  const bool pc = index.data(kPcRowRole).toBool();
  const bool mark = index.column() == kAddrCol && index.data(kBreakpointRole).toBool();
  if (!pc && !mark) return;
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  const QRect r = option.rect;
  const int h = r.height();
  if (mark) {  // a dot with a white ring: red on the selection's colour as well
    const QRectF dot(r.right() - h + 4, r.top() + 5, h - 10, h - 10);
    p->setPen(QPen(Qt::white, 1.5));
    p->setBrush(BreakpointDotColour());
    p->drawEllipse(dot);
  }
  if (pc) {
    p->setPen(QPen(PcMarkColour(), 2));
    p->setBrush(Qt::NoBrush);
    p->drawLine(r.topLeft() + QPointF(0, 1), r.topRight() + QPointF(0, 1));
    p->drawLine(r.bottomLeft(), r.bottomRight());
    if (index.column() == kAddrCol) {  // a triangle pointing at the address text
      const qreal right = r.right() - (mark ? h : 0) - 4, mid = r.center().y() + 0.5;
      QPainterPath arrow;
      arrow.moveTo(right - 9, mid - 6);
      arrow.lineTo(right, mid);
      arrow.lineTo(right - 9, mid + 6);
      arrow.closeSubpath();
      p->setPen(QPen(Qt::white, 1));
      p->setBrush(PcMarkColour());
      p->drawPath(arrow);
    }
  }
  p->restore();
}

}  // namespace tamrel
