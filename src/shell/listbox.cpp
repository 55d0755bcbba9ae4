#include "listbox.h"

#include <QHeaderView>
#include <QPainter>

Listbox::Listbox(QWidget* parent) : QTreeView(parent), rows_(new QStandardItemModel(0, 3, this)) {
  rows_->setHorizontalHeaderLabels(
      {QStringLiteral("名前"), QStringLiteral("行種別"), QStringLiteral("場所（パス）")});
  setModel(rows_);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { emit Change(this); });
}

int Listbox::AddRow(const QString& name) {
  QList<QStandardItem*> cells{new QStandardItem(name), new QStandardItem, new QStandardItem};
  for (QStandardItem* cell : cells) cell->setEditable(false);
  rows_->appendRow(cells);
  return rows_->rowCount() - 1;
}

void Listbox::SetRowPicture(int row, const QIcon& picture) {
  if (QStandardItem* cell = rows_->item(row, 0)) cell->setIcon(picture);
}

void Listbox::SetCell(int row, int column, const QString& text) {
  if (QStandardItem* cell = rows_->item(row, column)) cell->setText(text);
}

QString Listbox::Cell(int row, int column) const {
  const QStandardItem* cell = rows_->item(row, column);
  return cell ? cell->text() : QString();
}

bool Listbox::Selected(int row) const {
  return selectionModel()->isRowSelected(row, QModelIndex());
}

int Listbox::ListIndex() const {
  const QModelIndexList selected = selectionModel()->selectedRows();
  int first = -1;
  for (const QModelIndex& index : selected) {
    if (first < 0 || index.row() < first) first = index.row();
  }
  return first;
}

void Listbox::DeleteAllRows() { rows_->removeRows(0, rows_->rowCount()); }

void Listbox::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                      const QModelIndex& index) const {
  auto* self = const_cast<Listbox*>(this);  // the signal hands out the list itself
  for (int column = 0; column < rows_->columnCount(); ++column) {
    if (header()->isSectionHidden(column)) continue;
    QRect cell(header()->sectionViewportPosition(column), option.rect.top(),
               header()->sectionSize(column), option.rect.height());
    // The last column reaches to the viewport's right edge.
    if (column == rows_->columnCount() - 1) cell.setRight(viewport()->width());
    painter->save();
    painter->setClipRect(cell);
    emit self->CellBackgroundPaint(self, painter, cell, index.row(), column);
    painter->restore();
  }
  QTreeView::drawRow(painter, option, index);
}
