// The listing as Qt sees it: reads the core listing directly, nothing copied. Rows 1..30000
// of the listing are the model's rows 0..29999; row 0 of the listing is the header. The
// model announces changes by itself: the first change after a quiet spell schedules one
// announcement of every row changed until the event loop runs it.
#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include "listing/listing.h"

namespace tamrel {

// The address cell of a row with a breakpoint.
inline QColor BreakpointColour() { return QColor(240, 150, 150); }

// Beside the texts, a row tells whether the PC stands on it and whether it has a breakpoint;
// the view paints both as marks that show through the selection (see rowmarks.h).
enum ListingRole { kPcRowRole = Qt::UserRole + 1, kBreakpointRole };

class ListingModel : public QAbstractTableModel {
 public:
  explicit ListingModel(Listing& listing, QObject* parent = nullptr);
  ~ListingModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Tells the views about the rows the core changed since the last announcement.
  void AnnounceChanges();
  // The listing row the PC stands on (0: none shown); the rows it leaves and enters change.
  void SetPcRow(int64_t row);
  int64_t PcRow() const { return pcRow_; }

 private:
  void RowChanged(int64_t row);
  Listing& listing_;
  int64_t pcRow_ = 0;
};

}  // namespace tamrel
