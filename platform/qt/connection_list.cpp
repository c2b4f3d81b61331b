#include "platform/qt/connection_list.h"

#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>
#include <numeric>

#include "platform/text.h"

namespace ostrand::qt {

namespace {

const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}

QString ToQt(const std::string& gbk) {
  return QString::fromStdString(GbkToUtf8(gbk));
}

}  // namespace

void ConnectionListModel::AppendColumn(const std::string& title) {
  const int at = static_cast<int>(titles_.size());
  if (at >= ui::kColumnCount)
    return;
  beginInsertColumns(QModelIndex(), at, at);
  titles_.push_back(ToQt(title));
  endInsertColumns();
}

void ConnectionListModel::Clear() {
  beginResetModel();
  rows_.clear();
  endResetModel();
}

int ConnectionListModel::Append(const std::string& column0Text) {
  const int at = static_cast<int>(rows_.size());
  beginInsertRows(QModelIndex(), at, at);
  rows_.emplace_back();
  rows_.back().cells[0].gbk = column0Text;
  endInsertRows();
  return at;
}

bool ConnectionListModel::HasCell(int row, int column) const {
  return row >= 0 && row < static_cast<int>(rows_.size()) && column >= 0 &&
         column < ui::kColumnCount;
}

void ConnectionListModel::SetText(int row, int column, const std::string& text) {
  if (!HasCell(row, column))
    return;
  Cell& cell = rows_[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
  cell.gbk = text;
  cell.converted = false;
  cell.shown.clear();
  const QModelIndex at = index(row, column);
  emit dataChanged(at, at, {Qt::DisplayRole});
}

const std::string& ConnectionListModel::Text(int row, int column) const {
  if (!HasCell(row, column))
    return EmptyText();
  return rows_[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)].gbk;
}

void ConnectionListModel::SetValue(int row, std::intptr_t value) {
  if (row >= 0 && row < static_cast<int>(rows_.size()))
    rows_[static_cast<std::size_t>(row)].value = value;
}

std::intptr_t ConnectionListModel::Value(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size()))
    return 0;
  return rows_[static_cast<std::size_t>(row)].value;
}

void ConnectionListModel::Sort(ui::RowCompare compare) {
  if (compare == nullptr)
    return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<std::size_t> order(rows_.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  // A merge sort stays in bounds even if the callback is not a strict weak
  // order; it also keeps rows that compare equal in their present order.
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return compare(rows_[a].value, rows_[b].value, 0) < 0;
  });
  std::vector<Row> sorted;
  sorted.reserve(rows_.size());
  std::vector<int> newRowOf(rows_.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(std::move(rows_[order[i]]));
    newRowOf[order[i]] = static_cast<int>(i);
  }
  rows_ = std::move(sorted);

  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& old : before) {
    const int oldRow = old.row();
    after.push_back(oldRow >= 0 && oldRow < static_cast<int>(newRowOf.size())
                        ? index(newRowOf[static_cast<std::size_t>(oldRow)], old.column())
                        : QModelIndex());
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ConnectionListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ConnectionListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant ConnectionListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !HasCell(index.row(), index.column()))
    return {};
  const Cell& cell =
      rows_[static_cast<std::size_t>(index.row())].cells[static_cast<std::size_t>(index.column())];
  if (!cell.converted) {
    cell.shown = ToQt(cell.gbk);
    cell.converted = true;
  }
  return cell.shown;
}

QVariant ConnectionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= static_cast<int>(titles_.size()))
    return {};
  return titles_[static_cast<std::size_t>(section)];
}

Qt::ItemFlags ConnectionListModel::flags(const QModelIndex& index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

ConnectionListView::ConnectionListView(QWidget* parent) : QTableView(parent), model_(this) {
  setModel(&model_);
  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setWordWrap(false);
  setTabKeyNavigation(false);
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

  QHeaderView* header = horizontalHeader();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  header->setHighlightSections(false);
  header->setSectionsMovable(false);
  header->setStretchLastSection(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setSectionResizeMode(QHeaderView::Interactive);
  connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
    if (onHeaderClicked)
      onHeaderClicked(column);
  });

  // Rows of one line each, as a report list shows them; a fixed height also
  // keeps large refreshes from measuring every row.
  QHeaderView* rowHeader = verticalHeader();
  rowHeader->hide();
  rowHeader->setSectionResizeMode(QHeaderView::Fixed);
  rowHeader->setMinimumSectionSize(1);
  rowHeader->setDefaultSectionSize(fontMetrics().height() + 4);

  // Black text on white, whatever the style's colours.
  QPalette colours = palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Base, Qt::white);
    colours.setColor(group, QPalette::Text, Qt::black);
  }
  setPalette(colours);
}

void ConnectionListView::InsertColumn(const std::string& title, int width) {
  model_.AppendColumn(title);
  horizontalHeader()->resizeSection(model_.columnCount() - 1, width);
}

void ConnectionListView::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange)
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

bool ConnectionListView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    // A press beside every row leaves no row selected, as in a report list.
    const auto* press = static_cast<QMouseEvent*>(event);
    if (!indexAt(press->position().toPoint()).isValid())
      clearSelection();
  }
  const bool handled = QTableView::viewportEvent(event);
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && onRightClick)
    onRightClick();
  return handled;
}

}  // namespace ostrand::qt
