#include "app/gui/registry_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kv::gui {

namespace {

// Column titles and widths in characters, as the grid is laid out.
struct ColumnSpec {
  const char* field;
  const char* title;
  int widthInCharacters;
};
constexpr ColumnSpec kColumnSpecs[RegistryModel::kColumns] = {
    {"COMPANY_CODE", "COMPANY_CODE", 15},
    {"COMPANY_NAME", "COMPANY_NAME", 40},
    {"MERGE", "Selected", 10},
};

constexpr const char* kTicked = "1";

}  // namespace

RegistryModel::RegistryModel(kv::console::TForm1& form, HandlerRunner runHandler, QObject* parent)
    : QAbstractTableModel(parent), form_(form), runHandler_(std::move(runHandler)) {}

void RegistryModel::Reload() {
  std::vector<Row> rows;
  runHandler_([&] {
    auto& registry = form_.AdsTableCompany;
    if (!registry.Active()) return;
    for (registry.First(); !registry.Eof(); registry.Next())
      rows.push_back({registry.FieldByName(kColumnSpecs[kCode].field).AsString(),
                      registry.FieldByName(kColumnSpecs[kName].field).AsString(),
                      registry.FieldByName(kColumnSpecs[kMerge].field).AsString()});
    registry.First();
  });
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

int RegistryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RegistryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant RegistryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Row& row = rows_[static_cast<std::size_t>(index.row())];
  switch (index.column()) {
    case kCode:
    case kName:
      if (role == Qt::DisplayRole) return QString::fromStdString(index.column() == kCode ? row.code : row.name);
      if (role == Qt::BackgroundRole) return QApplication::palette().color(QPalette::Button);
      break;
    case kMerge:
      if (role == Qt::CheckStateRole) return row.merge == kTicked ? Qt::Checked : Qt::Unchecked;
      break;
    default: break;
  }
  return {};
}

QVariant RegistryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
  if (role == Qt::DisplayRole) return QString::fromLatin1(kColumnSpecs[section].title);
  return {};
}

Qt::ItemFlags RegistryModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  if (index.column() < kFixedColumns) return Qt::ItemIsEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

bool RegistryModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() != kMerge || role != Qt::CheckStateRole) return false;
  const std::size_t at = static_cast<std::size_t>(index.row());
  if (at >= rows_.size()) return false;
  const std::string code = rows_[at].code;
  const bool ticked = value.toInt() == Qt::Checked;
  std::string merge = rows_[at].merge;
  runHandler_([&] {
    auto& registry = form_.AdsTableCompany;
    if (!form_.SelectCompany(code, ticked)) return;
    // Written at once: a tick the person sees is the registry's value, whatever happens to the window next.
    registry.Post();
    merge = registry.FieldByName(kColumnSpecs[kMerge].field).AsString();
  });
  // A failed write leaves the check box showing what the registry holds.
  if (at >= rows_.size() || rows_[at].code != code) return false;
  rows_[at].merge = merge;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return merge == (ticked ? kTicked : "");
}

namespace {

QRect CheckRect(const QStyleOptionViewItem& option) {
  const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
  const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget);
  const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget);
  return QRect(option.rect.center().x() - w / 2, option.rect.center().y() - h / 2, w, h);
}

}  // namespace

void CheckCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem cell(option);
  initStyleOption(&cell, index);
  const QStyle* style = cell.widget ? cell.widget->style() : QApplication::style();
  cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
  cell.text.clear();
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);

  QStyleOptionViewItem check(option);
  check.rect = CheckRect(option);
  check.state &= ~QStyle::State_HasFocus;
  check.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
  style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, cell.widget);
}

bool CheckCellDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) {
  const Qt::ItemFlags flags = model->flags(index);
  if (!(flags & Qt::ItemIsUserCheckable) || !(flags & Qt::ItemIsEnabled)) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      // Taken here, so that a double click does not toggle three times.
      return option.rect.contains(static_cast<QMouseEvent*>(event)->position().toPoint());
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint())) return false;
      break;
    }
    case QEvent::KeyPress: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key != Qt::Key_Space && key != Qt::Key_Select) return false;
      break;
    }
    default: return false;
  }
  const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
  model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
  return true;
}

RegistryGrid::RegistryGrid(RegistryModel* model, QWidget* parent) : QTableView(parent), model_(model) {
  setObjectName("wwDBGrid1");
  setModel(model);
  setItemDelegateForColumn(RegistryModel::kMerge, new CheckCellDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(true);
  verticalHeader()->setVisible(false);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(false);
  const int character = fontMetrics().averageCharWidth();
  for (int c = 0; c < RegistryModel::kColumns; ++c)
    setColumnWidth(c, kColumnSpecs[c].widthInCharacters * character + 8);
}

void RegistryGrid::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
    QTableView::keyPressEvent(event);
    return;
  }
  // The next free cell to the right, else the first free cell of the next row; the last cell keeps the cursor.
  const QModelIndex at = currentIndex();
  int row = at.isValid() ? at.row() : 0;
  int column = at.isValid() ? at.column() + 1 : RegistryModel::kFixedColumns;
  if (column >= RegistryModel::kColumns) {
    column = RegistryModel::kFixedColumns;
    ++row;
  }
  if (row < model_->rowCount()) setCurrentIndex(model_->index(row, column));
  event->accept();
}

void RegistryGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (current.isValid() && current.column() < RegistryModel::kFixedColumns) {
    setCurrentIndex(model_->index(current.row(), RegistryModel::kFixedColumns));
    return;
  }
  QTableView::currentChanged(current, previous);
}

}  // namespace kv::gui
