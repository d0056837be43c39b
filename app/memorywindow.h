// "Память и стек": memory as it is (16 bytes a row, 8200h-F730h, hexadecimal and characters)
// with the bytes the last STEP or RUN changed and those that differ from the code column
// marked, and the stack from SP upward with its top marked. Non-modal; it follows every change
// while it is shown. The window only shows what the core's watch (panel/watch.h) says.
#pragma once

#include <QAbstractTableModel>
#include <QLineEdit>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>

#include "app/valuelabel.h"
#include "panel/watch.h"

namespace tamrel {

class MemoryModel : public QAbstractTableModel {
 public:
  static constexpr int kBytesPerRow = 16;
  static constexpr int kCharsColumn = kBytesPerRow + 1;
  MemoryModel(const Trainer& t, const ChangeWatch& w, QObject* parent);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  void Refresh();  // everything may have changed
  QModelIndex IndexOf(int64_t addr) const;

 private:
  const Trainer& t_;
  const ChangeWatch& w_;
};

class MemoryWindow : public QWidget {
 public:
  MemoryWindow(const Trainer& t, const ChangeWatch& w, QWidget* parent);
  // Shows the machine as it is now.
  void Refresh();
  // Moves the view to the row of `addr` and makes its byte the current cell.
  void GoTo(int64_t addr);

  QTableView* bytes;
  QTableWidget* stack;
  ValueLabel* stackPointer;
  QLineEdit* address;

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  void Poll();
  const Trainer& t_;
  MemoryModel* model_;
  QTimer poll_;
  Memory shownMem_;
  int32_t shownSp_ = -1;
};

}  // namespace tamrel
