#pragma once
// The document list: a flat, three-column QTreeView over its own
// QStandardItemModel ("名前", "行種別", "場所（パス）").
//
// A row is one QStandardItem per column, appended with
// QStandardItemModel::appendRow: column 0 holds the document's name with the
// row picture as its Qt::DecorationRole icon, column 1 the kind, column 2 the
// absolute path text; nothing hidden is stored with a row. AddRow and SetCell
// do exactly that, so the model alone says what the list shows.

#include <QIcon>
#include <QStandardItemModel>
#include <QTreeView>

class Listbox : public QTreeView {
  Q_OBJECT

 public:
  explicit Listbox(QWidget* parent = nullptr);

  QStandardItemModel* Rows() const { return rows_; }

  // Appends a row with `name` in column 0 and empty cells in the others;
  // returns its index.
  int AddRow(const QString& name);
  void SetRowPicture(int row, const QIcon& picture);
  void SetCell(int row, int column, const QString& text);
  // "" for a cell that does not exist.
  QString Cell(int row, int column) const;
  int ListCount() const { return rows_->rowCount(); }
  // The last row's index, -1 when the list is empty.
  int LastIndex() const { return rows_->rowCount() - 1; }
  bool Selected(int row) const;
  // The first selected row, -1 when none is selected.
  int ListIndex() const;
  void DeleteAllRows();

 signals:
  // Before a row is drawn, once for every cell, with the cell's rectangle in
  // viewport coordinates. What a receiver paints lies under the row's text.
  void CellBackgroundPaint(Listbox* list, QPainter* g, const QRect& cell, int row, int column);
  // The selection changed.
  void Change(Listbox* list);

 protected:
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

 private:
  QStandardItemModel* rows_;
};
