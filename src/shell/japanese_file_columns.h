#pragma once
// The columns of Qt's own file dialogs in Japanese whatever the system's
// locale: Qt's file model writes sizes and dates in the system's locale and
// calls a folder "Folder" (its Japanese translation lacks the word). This
// proxy writes those three columns in Japanese; everything else passes
// through unchanged.

#include <QSortFilterProxyModel>

class JapaneseFileColumns : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

  QVariant data(const QModelIndex& index, int role) const override;
};
