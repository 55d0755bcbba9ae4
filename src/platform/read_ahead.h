#pragma once
// Reading ahead of a folder scan, on helper threads.
//
// A scan asks, for every item, which metadata attributes it has (one
// listxattr each) and, for every folder it enters, for its listing; on most
// systems each of those costs a path lookup in the kernel. While the scan's
// own thread revalidates listings and hands out items, the helpers
//   - list the attribute names of the items of the folder the scan is in,
//     ahead of it (once the scan has asked for the attributes of one of its
//     items, or of an item of the folder above: a walk that never looks at
//     metadata costs no listxattr), and
//   - read the listings of the next few sub-folders it will enter (at most
//     kSubfoldersAhead not yet taken), each with a read-ahead of its own.
//
// Nothing is ever waited for that the scan's thread could do itself: an item
// that no helper has claimed yet is listed by the caller, and a sub-folder
// not yet read is read by the caller. Each item's attributes are listed
// once, by whichever thread claims it first. What a helper read is what the
// disk held when it read it; a sub-folder's listing is taken only after its
// folder's stamp has been checked again (FolderItem does that).
//
// On a machine with one processor there are no helpers and Start() answers
// nullptr: the caller does everything itself.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/directory_listing.h"
#include "platform/mac_metadata.h"

class ReadAhead : public std::enable_shared_from_this<ReadAhead> {
 public:
  // Sub-folders read ahead and not yet taken, at most, per folder.
  static constexpr std::size_t kSubfoldersAhead = 2;

  // Starts reading ahead for the items of `listing`, the folder at `path`
  // open as `dir`, as the folder the scan is working in now. nullptr when
  // there are no helper threads or too few items to be worth it.
  // `attributesWanted`: list attributes from the start (the scan looked at
  // the metadata of the folder above); otherwise from the first Attributes().
  static std::shared_ptr<ReadAhead> Start(std::shared_ptr<FolderDescriptor> dir,
                                          const std::string& path,
                                          std::shared_ptr<const DirectoryListing> listing,
                                          bool attributesWanted);

  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The metadata attributes of item i (from 0) of the listing.
  mac_metadata::AttributeNames Attributes(std::size_t i);

  // A sub-folder's listing read ahead, with its own read-ahead (which may be
  // null). Called once, when item i (a folder) is handed out: the slot is
  // given up whether or not a helper got to it.
  struct Subfolder {
    std::shared_ptr<const DirectoryListing> listing;
    std::shared_ptr<ReadAhead> readAhead;
  };
  Subfolder TakeSubfolder(std::size_t i);

  // The scan now works in this folder (it entered it): its work comes first.
  void Focus();
  // The helpers stop (the listing was replaced or dropped); the calls above
  // keep working.
  void Cancel();

  // The number of helper threads (0 on a single processor).
  static unsigned HelperCount();

  // A helper thread's own descriptor of the folder it lists in: threads
  // that share one descriptor contend for it in the kernel on every call.
  struct Helper {
    std::uint64_t job = 0;
    int fd = -1;
    Helper() = default;
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;
    ~Helper();
  };
  // For the helper threads: does one piece of work; false when there is
  // nothing this read-ahead can do now.
  bool WorkOne(Helper& helper);
  bool Finished() const;
  bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
  bool AttributesWanted() const { return attributesWanted_.load(std::memory_order_relaxed); }

 private:
  ReadAhead(std::shared_ptr<FolderDescriptor> dir, std::string path,
            std::shared_ptr<const DirectoryListing> listing, bool attributesWanted);
  static std::shared_ptr<ReadAhead> Make(std::shared_ptr<FolderDescriptor> dir,
                                         const std::string& path,
                                         std::shared_ptr<const DirectoryListing> listing,
                                         bool attributesWanted);
  std::uint8_t ListAttributes(std::size_t i, int fd) const;
  int DescriptorFor(Helper& helper) const;
  bool ReadSubfolder();

  // Per item: 0 not claimed, 1 being listed, kDone | bits when listed.
  static constexpr std::uint16_t kDone = 0x100;
  // Per sub-folder: not claimed, being read, read (result waiting), taken.
  enum : std::uint8_t { kOpen = 0, kReading = 1, kRead = 2, kTaken = 3 };

  const std::uint64_t id_;  // tells a helper when it moves to another folder
  const std::shared_ptr<FolderDescriptor> dir_;
  const std::string path_;
  const std::shared_ptr<const DirectoryListing> listing_;
  const std::size_t count_;
  std::unique_ptr<std::atomic<std::uint16_t>[]> attributes_;
  std::atomic<std::size_t> attributesLeft_;  // helpers take items from the end
  std::atomic<bool> attributesWanted_;       // the scan looks at metadata

  // The folders among the items, in listing order, and their read-ahead.
  std::vector<std::size_t> folderIndex_;  // item index of each folder
  std::unique_ptr<std::atomic<std::uint8_t>[]> folderState_;
  std::vector<Subfolder> folderResult_;  // guarded by resultMutex_
  std::mutex resultMutex_;
  std::atomic<std::size_t> nextFolder_{0};
  std::atomic<std::size_t> foldersWaiting_{0};  // read and not yet taken

  std::atomic<bool> cancelled_{false};
};
