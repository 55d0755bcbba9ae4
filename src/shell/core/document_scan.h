#pragma once
// The folder scan's walk: depth-first, in each folder's own item order,
// entering visible folders only, handing on every file whose creator and type
// codes mark a legacy list document. Used by the main window's MakeList.
// No Qt: it is built into a core library of its own.

#include <functional>
#include <set>

#include "platform/folder_item.h"

class DocumentScan {
 public:
  // Tells a multi-list document from a single-list one (CheckMulti).
  using IsMulti = std::function<bool(const FolderItem& document)>;
  // Called for each document, in the order of the walk.
  using Found = std::function<void(const FolderItem& document, bool multi)>;

  DocumentScan(IsMulti isMulti, Found found);

  // Walks `folder` and everything below it. Yields once after every entry
  // (after a folder's whole sub-tree for a folder). Ends on every tree: links
  // to folders are not entered, no folder is entered twice (by device and
  // inode, across calls on the same scan), and an entry that vanishes or
  // cannot be read is passed over without a trace.
  void Walk(const FolderItem& folder);

 private:
  // False when the folder cannot be looked at or was entered before.
  bool Enter(const FolderItem& folder);
  // Hands the entry on if it is a document; answers it if it is a folder to
  // enter.
  bool Visit(const FolderItem& entry);

  IsMulti isMulti_;
  Found found_;
  std::set<FileIdentity> entered_;
};
