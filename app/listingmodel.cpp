#include "app/listingmodel.h"

#include <QBrush>
#include <QStringList>
#include <algorithm>

#include "app/cp1251.h"

namespace tamrel {

ListingModel::ListingModel(Listing& listing, QObject* parent)
    : QAbstractTableModel(parent), listing_(listing) {
  listing_.onFirstChange = [this] {
    QMetaObject::invokeMethod(this, &ListingModel::AnnounceChanges, Qt::QueuedConnection);
  };
}

ListingModel::~ListingModel() { listing_.onFirstChange = nullptr; }

int ListingModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kShownRows;
}

int ListingModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant ListingModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int64_t row = index.row() + 1;
  switch (role) {
    case Qt::DisplayRole: return FromCp1251(listing_.Cell(index.column(), row));
    // A breakpoint shows beside the texts, never in them.
    case Qt::BackgroundRole:
      if (index.column() == kAddrCol && listing_.Marked(row)) return QBrush(BreakpointColour());
      return {};
    case Qt::AccessibleDescriptionRole: {
      QStringList d;
      if (row == pcRow_) d << QStringLiteral("текущая строка");
      if (listing_.Marked(row)) d << QStringLiteral("точка останова");
      return d.isEmpty() ? QVariant() : QVariant(d.join(QStringLiteral(", ")));
    }
    case kPcRowRole: return row == pcRow_;
    case kBreakpointRole: return listing_.Marked(row);
    default: return {};
  }
}

QVariant ListingModel::headerData(int section, Qt::Orientation o, int role) const {
  if (role != Qt::DisplayRole || o != Qt::Horizontal) return {};
  return FromCp1251(listing_.Cell(section, 0));
}

Qt::ItemFlags ListingModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void ListingModel::AnnounceChanges() {
  const Listing::Range r = listing_.TakeChangedRows();
  if (r.lo == 0) emit headerDataChanged(Qt::Horizontal, 0, 2);
  const int64_t lo = std::max<int64_t>(r.lo, 1), hi = std::min<int64_t>(r.hi, kShownRows);
  if (lo <= hi)
    emit dataChanged(index(static_cast<int>(lo - 1), 0), index(static_cast<int>(hi - 1), 2));
}

void ListingModel::SetPcRow(int64_t row) {
  if (row == pcRow_) return;
  const int64_t old = pcRow_;
  pcRow_ = row;
  RowChanged(old);
  RowChanged(row);
}

void ListingModel::RowChanged(int64_t row) {
  if (row < 1 || row > kShownRows) return;
  emit dataChanged(index(static_cast<int>(row - 1), 0), index(static_cast<int>(row - 1), 2));
}

}  // namespace tamrel
