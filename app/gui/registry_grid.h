#pragma once
// The registry grid wwDBGrid1 over the registry table AdsTableCompany: COMPANY_CODE and COMPANY_NAME, fixed,
// and MERGE as a check box whose ticked value is "1" and unticked value empty. A tick is written into the
// registry in place at once. Enter moves to the next cell.
//
// The rows are read from the registry when the window starts and after a handler that walks it, never while a
// run is under way: the run's company loop walks the same table, and a repaint must not move its record.

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <string>
#include <vector>

#include "console/form.h"

namespace kv::gui {

// Runs one of the form's handlers as an event of the window; false when it raised (the error was shown).
using HandlerRunner = std::function<bool(const std::function<void()>&)>;

class RegistryModel final : public QAbstractTableModel {
 public:
  enum Column { kCode = 0, kName = 1, kMerge = 2, kColumns = 3 };
  static constexpr int kFixedColumns = 2;

  RegistryModel(kv::console::TForm1& form, HandlerRunner runHandler, QObject* parent = nullptr);

  // Reads every row of the registry (an empty grid when it is not open), leaving it on its first record.
  void Reload();
  const std::string& CodeAt(int row) const { return rows_.at(static_cast<std::size_t>(row)).code; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Qt::CheckStateRole on MERGE: the company is ticked or unticked in the registry and the record posted.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  struct Row {
    std::string code, name, merge;
  };
  kv::console::TForm1& form_;
  HandlerRunner runHandler_;
  std::vector<Row> rows_;
};

// Draws MERGE's check box in the middle of its cell and toggles it on a click anywhere in the cell or on Space.
class CheckCellDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};

class RegistryGrid final : public QTableView {
 public:
  explicit RegistryGrid(RegistryModel* model, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // The fixed columns take no cursor: a cell chosen there moves to the row's first free column.
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  RegistryModel* model_;
};

}  // namespace kv::gui
