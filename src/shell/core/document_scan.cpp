#include "shell/core/document_scan.h"

#include <optional>
#include <vector>

#include "platform/errors.h"
#include "platform/services.h"
#include "shared/globals.h"

namespace {

// One folder of the walk and the index of its next entry (from 1).
struct Frame {
  FolderItem folder;
  std::int32_t next = 1;
};

}  // namespace

DocumentScan::DocumentScan(IsMulti isMulti, Found found)
    : isMulti_(std::move(isMulti)), found_(std::move(found)) {}

void DocumentScan::Walk(const FolderItem& folder) {
  // An explicit stack rather than recursion: however deep the tree, the walk
  // cannot run out of call stack.
  if (!Enter(folder)) return;
  std::vector<Frame> stack{{folder, 1}};
  while (!stack.empty()) {
    // The count is read afresh before every entry: the folder may change
    // while the walk yields.
    if (stack.back().next > stack.back().folder.Count()) {
      stack.pop_back();
      if (!stack.empty()) YieldToUI();  // the entry that was this folder
      continue;
    }
    const std::int32_t index = stack.back().next++;
    std::optional<FolderItem> entry;
    try {
      entry.emplace(stack.back().folder.Item(index));
    } catch (const OutOfBoundsException&) {
      // The entry went between the count and the fetch: passed over.
    }
    if (entry && Visit(*entry) && Enter(*entry)) {
      stack.push_back({*entry, 1});  // its yield comes after its sub-tree
      continue;
    }
    YieldToUI();
  }
}

bool DocumentScan::Enter(const FolderItem& folder) {
  const std::optional<FileIdentity> identity = folder.Identity();
  return identity && entered_.insert(*identity).second;
}

bool DocumentScan::Visit(const FolderItem& entry) {
  // Visibility is asked of folders only: an invisible document is listed.
  if (entry.Directory() && entry.Visible()) return true;
  if (gFileMatch(entry, gListCre, kListType)) found_(entry, isMulti_(entry));
  return false;
}
