#pragma once
// One reading of a folder's entries, in the order a Mac volume lists them:
// names compared case-insensitively (Unicode simple case folding for UTF-8
// names, ASCII folding for other bytes), then byte by byte. The order does not
// depend on the file system. Metadata carriers ("._NAME" sidecars, __MACOSX,
// .AppleDouble) are kept apart from the items but can still be looked up.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// An open folder, shared by everything that reads it (its cached listing,
// the read-ahead of its items) and closed with the last of them. The number
// open at once is bounded: past the bound Open() answers nullptr and callers
// go by path instead.
class FolderDescriptor {
 public:
  static constexpr int kMaxOpen = 256;

  // nullptr when the folder cannot be opened (`isFolder` false: no such
  // folder, not a folder, not readable) or too many are open already
  // (`isFolder` true).
  static std::shared_ptr<FolderDescriptor> Open(const std::string& path, bool& isFolder);
  ~FolderDescriptor();
  FolderDescriptor(const FolderDescriptor&) = delete;
  FolderDescriptor& operator=(const FolderDescriptor&) = delete;

  int get() const { return fd_; }

 private:
  explicit FolderDescriptor(int fd) : fd_(fd) {}
  const int fd_;
};

enum class EntryKind : std::uint8_t { File, Directory, Symlink, Other };

struct DirectoryEntry {
  std::string name;
  std::string key;  // the case-folded name that orders entries
  EntryKind kind = EntryKind::File;
  bool hasSidecar = false;  // a "._NAME" entry stands in the same folder
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
  // Reads the folder open as `dirFd` (not consumed; -1 to open `path`).
  // nullptr when the folder cannot be read. `stamp` and `trusted` describe the
  // folder as it was just before the reading: trusted is false when a change
  // made right after the reading could leave the folder's times unchanged
  // (the times are too close to the clock for the file system's resolution),
  // so the listing must be read again before it is relied upon.
  static std::shared_ptr<const DirectoryListing> Read(int dirFd, const std::string& path);

  // Items in name order, metadata carriers left out.
  const std::vector<DirectoryEntry>& Items() const { return items_; }
  // True when an entry of this exact name stands in the folder (items and
  // carriers alike).
  bool Contains(std::string_view name) const;
  bool HasMacosxFolder() const { return hasMacosx_; }
  bool HasAppleDoubleFolder() const { return hasAppleDouble_; }

  const FolderStamp& Stamp() const { return stamp_; }
  bool Trusted() const { return trusted_; }

 private:
  std::vector<DirectoryEntry> items_;
  std::vector<std::string> carriers_;  // metadata entries, sorted byte by byte
  bool hasMacosx_ = false;
  bool hasAppleDouble_ = false;
  FolderStamp stamp_;
  bool trusted_ = false;
};

// The key that orders names: case-folded, so that "a" and "A" compare equal.
std::string MacNameKey(std::string_view name);

// The stamp of an open folder or of a path; false when it cannot be read or
// the folder has been deleted.
bool StampOf(int dirFd, FolderStamp& stamp);
bool StampOf(const std::string& path, FolderStamp& stamp);
// True when a listing read at a time whose folder stamp was `stamp` may miss
// changes made afterwards without the stamp changing (see Read).
bool StampIsRacy(const FolderStamp& stamp);
