#include "app/memorywindow.h"

#include <QBrush>
#include <QFont>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/cp1251.h"
#include "machine/numtext.h"

namespace tamrel {

namespace {

constexpr int kRows = (kMemSize + MemoryModel::kBytesPerRow - 1) / MemoryModel::kBytesPerRow;
constexpr int kStackWords = 12;

const QString kChangedText = QStringLiteral("изменён последним шагом или запуском");
const QString kDiffersText = QStringLiteral("в памяти не то, что в столбце «Код»");

QColor ChangedColour() { return QColor(255, 225, 120); }
QColor DiffersColour() { return QColor(170, 210, 255); }

QString Hex(int64_t v, int digits) {
  return QStringLiteral("%1").arg(v, digits, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

MemoryModel::MemoryModel(const Trainer& t, const ChangeWatch& w, QObject* parent)
    : QAbstractTableModel(parent), t_(t), w_(w) {}

int MemoryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kRows; }

int MemoryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kCharsColumn + 1;
}

QModelIndex MemoryModel::IndexOf(int64_t addr) const {
  if (!InWindow(addr)) return {};
  const int64_t k = addr - kMemFirst;
  return index(static_cast<int>(k / kBytesPerRow), static_cast<int>(k % kBytesPerRow) + 1);
}

QVariant MemoryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int64_t rowAddr = kMemFirst + int64_t{index.row()} * kBytesPerRow;
  const int col = index.column();
  if (col == 0) return role == Qt::DisplayRole ? QVariant(Hex(rowAddr, 4)) : QVariant();
  if (col == kCharsColumn) {
    if (role != Qt::DisplayRole) return {};
    return FromCp1251(MemoryChars(t_.m, rowAddr, kBytesPerRow));
  }
  const int64_t addr = rowAddr + col - 1;
  if (!InWindow(addr)) return {};
  const bool changed = w_.Changed(addr), differs = DiffersFromCode(t_, addr);
  switch (role) {
    case Qt::DisplayRole: return Hex(t_.m.Mem.Read(addr), 2);
    case Qt::BackgroundRole:
      if (changed) return QBrush(ChangedColour());
      if (differs) return QBrush(DiffersColour());
      return {};
    case Qt::FontRole: {  // the marks without colour: bold changed, underlined differing
      if (!changed && !differs) return {};
      QFont f;
      f.setBold(changed);
      f.setUnderline(differs);
      return f;
    }
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
      QStringList d;
      d << Hex(addr, 4);
      if (changed) d << kChangedText;
      if (differs) d << kDiffersText;
      return d.join(QStringLiteral(", "));
    }
    default: return {};
  }
}

QVariant MemoryModel::headerData(int section, Qt::Orientation o, int role) const {
  if (role != Qt::DisplayRole || o != Qt::Horizontal) return {};
  if (section == 0) return QStringLiteral("Адрес");
  if (section == kCharsColumn) return QStringLiteral("Символы");
  return Hex(section - 1, 1);
}

void MemoryModel::Refresh() { emit dataChanged(index(0, 0), index(kRows - 1, kCharsColumn)); }

MemoryWindow::MemoryWindow(const Trainer& t, const ChangeWatch& w, QWidget* parent)
    : QWidget(parent, Qt::Window), t_(t) {
  setWindowTitle(QStringLiteral("Память и стек"));
  setAccessibleName(windowTitle());
  resize(760, 520);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

  auto* go = new QLabel(QStringLiteral("&Адрес:"), this);
  address = new QLineEdit(this);
  address->setAccessibleName(QStringLiteral("Перейти к адресу"));
  address->setMaxLength(4);
  address->setFixedWidth(70);
  go->setBuddy(address);
  auto* goButton = new QPushButton(QStringLiteral("&Перейти"), this);
  auto* legend = new QLabel(QStringLiteral("жирный, жёлтый: %1; подчёркнутый, голубой: %2")
                                .arg(kChangedText, kDiffersText),
                            this);
  legend->setWordWrap(true);

  model_ = new MemoryModel(t, w, this);
  bytes = new QTableView(this);
  bytes->setModel(model_);
  bytes->setAccessibleName(QStringLiteral("Память"));
  bytes->setFont(fixed);
  bytes->verticalHeader()->hide();
  bytes->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  bytes->verticalHeader()->setDefaultSectionSize(QFontMetrics(fixed).height() + 6);
  bytes->horizontalHeader()->setMinimumSectionSize(10);
  bytes->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  bytes->setEditTriggers(QAbstractItemView::NoEditTriggers);
  bytes->setSelectionMode(QAbstractItemView::SingleSelection);
  bytes->setTabKeyNavigation(false);

  stackPointer = new ValueLabel(QStringLiteral("Указатель стека"), this);
  stackPointer->setFont(fixed);
  stack = new QTableWidget(kStackWords, 2, this);
  stack->setAccessibleName(QStringLiteral("Стек"));
  stack->setFont(fixed);
  stack->setHorizontalHeaderLabels({QStringLiteral("Адрес"), QStringLiteral("Слово")});
  stack->verticalHeader()->hide();
  stack->setEditTriggers(QAbstractItemView::NoEditTriggers);
  stack->setTabKeyNavigation(false);
  stack->setFixedWidth(200);
  stack->horizontalHeader()->setStretchLastSection(true);
  stack->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  for (int r = 0; r < kStackWords; ++r)
    for (int c = 0; c < 2; ++c) stack->setItem(r, c, new QTableWidgetItem);

  auto* top = new QHBoxLayout;
  top->addWidget(go);
  top->addWidget(address);
  top->addWidget(goButton);
  top->addWidget(legend, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel(QStringLiteral("Стек"), this));
  right->addWidget(stackPointer);
  right->addWidget(stack, 1);
  auto* middle = new QHBoxLayout;
  middle->addWidget(bytes, 1);
  middle->addLayout(right);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addLayout(middle, 1);
  setTabOrder(address, goButton);
  setTabOrder(goButton, bytes);
  setTabOrder(bytes, stack);

  auto goTo = [this] { GoTo(HexTextToInt(address->text().toUpper().toStdString())); };
  connect(address, &QLineEdit::returnPressed, this, goTo);
  connect(goButton, &QPushButton::clicked, this, goTo);
  poll_.setInterval(100);
  connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
}

void MemoryWindow::GoTo(int64_t addr) {
  const QModelIndex i = model_->IndexOf(addr);
  if (!i.isValid()) return;
  bytes->scrollTo(i, QAbstractItemView::PositionAtTop);
  bytes->setCurrentIndex(i);
  bytes->setFocus(Qt::OtherFocusReason);
}

void MemoryWindow::Refresh() {
  if (!isVisible()) return;
  shownMem_ = t_.m.Mem;
  shownSp_ = t_.m.SP;
  model_->Refresh();
  stackPointer->SetValue(QStringLiteral("SP=") + FromCp1251(IntToHexText(t_.m.SP)));
  const auto words = StackWords(t_.m, kStackWords);
  for (int r = 0; r < kStackWords; ++r) {
    const bool has = r < static_cast<int>(words.size());
    const QString a = has ? Hex(words[static_cast<size_t>(r)].addr, 4) : QString();
    const QString v = has ? Hex(words[static_cast<size_t>(r)].word, 4) : QString();
    QTableWidgetItem* addrItem = stack->item(r, 0);
    QTableWidgetItem* wordItem = stack->item(r, 1);
    // The top: an arrow beside its address, bold, and said to a screen reader.
    addrItem->setText(r == 0 && has ? QStringLiteral("▶ ") + a : a);
    wordItem->setText(v);
    for (QTableWidgetItem* item : {addrItem, wordItem}) {
      QFont f = stack->font();
      f.setBold(r == 0);
      item->setFont(f);
      item->setData(Qt::AccessibleDescriptionRole,
                    r == 0 && has ? QStringLiteral("вершина стека") : QVariant());
    }
  }
}

void MemoryWindow::Poll() {
  if (shownSp_ != t_.m.SP || !(shownMem_ == t_.m.Mem)) Refresh();
}

void MemoryWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  Refresh();
  poll_.start();
}

void MemoryWindow::hideEvent(QHideEvent* e) {
  poll_.stop();
  QWidget::hideEvent(e);
}

}  // namespace tamrel
