#include "list_file_filter.h"

#include <QFileInfo>
#include <QFileSystemModel>

#include "platform/folder_item.h"
#include "qt_text.h"

ListFileFilter::ListFileFilter(const FileType& type, QObject* parent)
    : JapaneseFileColumns(parent), type_(type) {
  for (const QString& extension :
       ToQString(type.Extensions).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    extensions_.append(extension);
  }
}

bool ListFileFilter::Offers(const QString& path) const {
  if (QFileInfo(path).isDir()) return true;
  for (const QString& extension : extensions_) {
    if (path.endsWith(extension, Qt::CaseInsensitive)) return true;
  }
  const FolderItem item(ToPath(path));
  return item.MacType() == type_.MacType && item.MacCreator() == type_.MacCreator;
}

bool ListFileFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
  const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
  if (!files) return true;
  return Offers(files->filePath(files->index(sourceRow, 0, sourceParent)));
}
