// ConnectionList on Qt: a table view over rows of six GBK texts and one
// application value per row, kept as the list-view control keeps them.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace ostrand::qt {

class ConnectionListModel final : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  // Adds a column at the end with its GBK title; the view sets its width.
  void AppendColumn(const std::string& title);

  void Clear();
  int Append(const std::string& column0Text);
  void SetText(int row, int column, const std::string& text);
  // The stored GBK bytes; the empty text outside the rows and columns.
  const std::string& Text(int row, int column) const;
  void SetValue(int row, std::intptr_t value);
  std::intptr_t Value(int row) const;
  // Reorders whole rows; persistent indexes (the selection) follow their rows.
  void Sort(ui::RowCompare compare);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Cell {
    std::string gbk;
    // Converted on first display only: a refresh of thousands of rows shows
    // a few dozen of them.
    mutable QString shown;
    mutable bool converted = false;
  };
  struct Row {
    std::array<Cell, ui::kColumnCount> cells;
    std::intptr_t value = 0;
  };
  bool HasCell(int row, int column) const;

  std::vector<QString> titles_;
  std::vector<Row> rows_;
};

// The view: grid, whole-row single selection, no editing, no sorting of its
// own. Header clicks and right-clicks are reported to the callbacks.
class ConnectionListView final : public QTableView {
 public:
  explicit ConnectionListView(QWidget* parent = nullptr);

  ConnectionListModel& Model() { return model_; }
  void InsertColumn(const std::string& title, int width);

  std::function<void(int column)> onHeaderClicked;
  std::function<void()> onRightClick;

 protected:
  bool viewportEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  ConnectionListModel model_;
};

}  // namespace ostrand::qt
