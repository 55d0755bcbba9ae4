#pragma once
// What an open dialog offers for a registered file type: folders, and the
// files that carry the type's Mac type and creator codes or end in one of its
// extensions. A native dialog cannot ask for Mac codes, so this filters the
// model of Qt's own dialog, whose columns it writes in Japanese as well.

#include "file_types.h"
#include "japanese_file_columns.h"

class ListFileFilter : public JapaneseFileColumns {
  Q_OBJECT

 public:
  ListFileFilter(const FileType& type, QObject* parent = nullptr);

  bool Offers(const QString& path) const;

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

 private:
  FileType type_;
  QStringList extensions_;
};
