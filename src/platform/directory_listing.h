#pragma once
// One reading of a folder's entries, in the order a Mac volume lists them:
// names compared case-insensitively (Unicode simple case folding for UTF-8
// names, ASCII folding for other bytes), then byte by byte. The order does not
// depend on the file system. Metadata carriers ("._NAME" sidecars, __MACOSX,
// .AppleDouble) are kept apart from the items but can still be looked up.

#include <dirent.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Names and keys are views of text the listing holds.
struct DirectoryEntry {
  std::string_view name;
  std::string_view key;    // the case-folded name that orders entries
  bool directory = false;  // a folder itself, not a link to one
};

// Where a folder stood when it was read, to tell cheaply whether it changed.
struct FolderStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t mtimeSec = 0, mtimeNsec = 0;
  std::int64_t ctimeSec = 0, ctimeNsec = 0;
  bool operator==(const FolderStamp&) const = default;
};

class DirectoryListing {
 public:
  // Reads the folder open as `dir`, which stands at its start (it stays
  // open; nullptr to open `path` for this reading only). nullptr when the
  // folder cannot be read. `Stamp` and `Trusted` describe the folder as it
  // was just before the reading: trusted is false when a change made right
  // after the reading could leave the folder's times unchanged (the times are
  // too close to the clock for the file system's resolution), so the listing
  // must be read again before it is relied upon.
  static std::unique_ptr<const DirectoryListing> Read(DIR* dir, const std::string& path);

  DirectoryListing() = default;
  DirectoryListing(const DirectoryListing&) = delete;  // entries view its text
  DirectoryListing& operator=(const DirectoryListing&) = delete;

  // Items in name order, metadata carriers left out.
  const std::vector<DirectoryEntry>& Items() const { return items_; }
  // True when an entry of this exact name stands in the folder (items and
  // carriers alike).
  bool Contains(std::string_view name) const;

  const FolderStamp& Stamp() const { return stamp_; }
  bool Trusted() const { return trusted_; }

 private:
  // An item read, before its views can be made: text_ still grows.
  struct Pending {
    std::size_t nameSize, keySize;  // a key of size 0 is the name itself
    bool directory;
  };
  // Reads the entries that `dir` gives from where it stands: carriers into
  // carriers_, items into text_ and `items`; false when reading fails.
  bool ReadEntries(DIR* dir, std::vector<Pending>& items);
  // Makes items_ from the items read, in name order.
  void SortItems(const std::vector<Pending>& items);

  std::string text_;  // each item's name, then its key where that differs
  std::vector<DirectoryEntry> items_;
  std::vector<std::string> carriers_;  // metadata entries, sorted byte by byte
  FolderStamp stamp_;
  bool trusted_ = false;
};

// The stamp of an open folder or of a path; false when it cannot be read or
// the folder has been deleted.
bool StampOf(int dirFd, FolderStamp& stamp);
bool StampOf(const std::string& path, FolderStamp& stamp);
