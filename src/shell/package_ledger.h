#pragma once
// The packages one batch has written, so that a later document of the same
// batch never replaces one of them: two documents of the same name sent into
// one folder would otherwise leave only the second one's package.

#include <map>
#include <optional>
#include <string>

#include "platform/folder_item.h"

class PackageLedger {
 public:
  // Notes that `source` was converted into the package `target`. A target
  // that cannot be looked at is not noted.
  void Record(const FolderItem& source, const FolderItem& target);
  // The absolute path of the document whose package, written earlier in this
  // batch, stands where `target` would go; nullopt when there is none. The
  // folder itself is compared (device and inode), so names that the file
  // system takes for the same (case, Unicode normalisation) count as one.
  std::optional<std::string> WrittenFrom(const FolderItem& target) const;

 private:
  std::map<FileIdentity, std::string> sources_;
};
