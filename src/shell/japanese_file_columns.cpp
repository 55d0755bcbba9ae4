#include "japanese_file_columns.h"

#include <QFileSystemModel>
#include <QLocale>

namespace {

// The columns of QFileSystemModel.
constexpr int kSizeColumn = 1;
constexpr int kTypeColumn = 2;
constexpr int kDateColumn = 3;

}  // namespace

QVariant JapaneseFileColumns::data(const QModelIndex& index, int role) const {
  const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
  if (!files || role != Qt::DisplayRole) return QSortFilterProxyModel::data(index, role);
  const QModelIndex file = mapToSource(index);
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  switch (index.column()) {
    case kSizeColumn:
      return files->isDir(file) ? QString() : japanese.formattedDataSize(files->size(file));
    case kTypeColumn:
      if (files->isDir(file)) return QStringLiteral("フォルダ");
      break;
    case kDateColumn:
      return japanese.toString(files->lastModified(file), QLocale::ShortFormat);
  }
  return QSortFilterProxyModel::data(index, role);
}
