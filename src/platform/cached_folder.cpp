#include "platform/cached_folder.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

#include "platform/string_helpers.h"

namespace {

// The folders whose descriptors are open, the one last read or revalidated
// first; empty slots at the end.
std::array<CachedFolder*, 4> gDescriptorHolders{};

// Counts the readings of folders (and the changes file items made to them):
// what was found out from the listings holds while it stays the same.
std::uint64_t gReadings = 0;

// True when `path` is `folder` or inside it.
bool IsWithin(std::string_view path, std::string_view folder) {
  if (folder == "/") return true;
  return path.substr(0, folder.size()) == folder &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

// Answers the carrier lookups (mac_metadata::EntryLookup) from the folders
// cached around one folder: the folder and those above it, the item's own
// folder, if any, and the carrier folders inside them.
class CachedLookup {
 public:
  CachedLookup(CachedFolder* near, CachedFolder* own) : own_(own), near_(near) {}

  bool operator()(std::string_view folder, std::string_view name) {
    CachedFolder* at = nullptr;
    if (near_ && folder == near_->path) {
      at = near_;  // the usual question: an entry beside the item
    } else if (own_ && IsWithin(folder, own_->path)) {
      at = own_;
      at->Current();
    } else {
      // Asked from the folder upward, so the climb goes one way; a longer
      // path cannot hold a shorter one.
      while (near_ && (near_->path.size() > folder.size() || !IsWithin(folder, near_->path)))
        near_ = near_->Parent().get();
      at = near_;
    }
    if (!at) return false;
    std::string_view below = PathBelow(folder, at->path);
    while (!below.empty()) {
      const std::size_t slash = below.find('/');
      at = &at->Inside(below.substr(0, slash));
      below = slash == std::string_view::npos ? std::string_view() : below.substr(slash + 1);
    }
    return at->Contains(name);
  }

 private:
  CachedFolder* own_;
  CachedFolder* near_;  // kept by the folder below it
};

}  // namespace

CachedFolder::CachedFolder(std::string folderPath, bool inCarrier)
    : path(std::move(folderPath)), carrier(inCarrier) {}

CachedFolder::~CachedFolder() { ReleaseDescriptor(); }

// Opens the descriptor, closing that of the folder used longest ago when all
// are taken; without one (not a folder, none left) the folder goes by path.
void CachedFolder::HoldDescriptor() {
  if (carrier) return;
  if (!dir_) {
    if (CachedFolder* oldest = gDescriptorHolders.back()) oldest->ReleaseDescriptor();
    dir_ = ::opendir(path.c_str());
    if (!dir_) return;
  }
  auto at = std::find(gDescriptorHolders.begin(), gDescriptorHolders.end(), this);
  if (at == gDescriptorHolders.end()) at = std::find(gDescriptorHolders.begin(), at, nullptr);
  std::rotate(gDescriptorHolders.begin(), at, at + 1);
  gDescriptorHolders.front() = this;
}

void CachedFolder::ReleaseDescriptor() {
  if (!dir_) return;
  ::closedir(dir_);
  dir_ = nullptr;
  auto kept = std::remove(gDescriptorHolders.begin(), gDescriptorHolders.end(), this);
  std::fill(kept, gDescriptorHolders.end(), nullptr);
}

void CachedFolder::Load() {
  ++gReadings;
  stale_ = false;
  inside_.clear();
  probed_.clear();
  ReleaseDescriptor();  // a descriptor opened afresh reads from the start
  HoldDescriptor();
  listing_ = DirectoryListing::Read(dir_, path);
}

const DirectoryListing* CachedFolder::Current() {
  if (!listing_ || stale_) Load();
  return listing_.get();
}

const DirectoryListing* CachedFolder::Refresh() {
  if (!listing_ || stale_) return Current();
  HoldDescriptor();
  FolderStamp stamp;
  // Deleted, unreadable or changed: read again by path.
  if (!(dir_ ? StampOf(::dirfd(dir_), stamp) : StampOf(path, stamp)) ||
      !(stamp == listing_->Stamp()) || !listing_->Trusted()) {
    Load();
  }
  return listing_.get();
}

bool CachedFolder::Contains(std::string_view name) {
  if (listing_ && !stale_) return listing_->Contains(name);
  if (carrier) return Current() && listing_->Contains(name);
  auto found = probed_.find(name);
  if (found == probed_.end()) {
    struct stat st;
    const bool exists = ::lstat(JoinPath(path, name).c_str(), &st) == 0;
    found = probed_.emplace(std::string(name), exists).first;
  }
  return found->second;
}

void CachedFolder::Changed() {
  ++gReadings;
  stale_ = true;
  probed_.clear();
}

const std::shared_ptr<CachedFolder>& CachedFolder::Parent() {
  if (!parent && path != "/")
    parent = std::make_shared<CachedFolder>(std::string(ParentPath(path)), false);
  return parent;
}

CachedFolder& CachedFolder::Inside(std::string_view name) {
  auto found = inside_.find(name);
  if (found == inside_.end()) {
    auto made = std::make_shared<CachedFolder>(JoinPath(path, name), true);
    found = inside_.emplace(std::string(name), std::move(made)).first;
  }
  return *found->second;
}

mac_metadata::Carriers CachedFolder::CarriersOf(std::string_view name, bool isFolder,
                                                CachedFolder* own) {
  CachedLookup lookup(this, own);
  return mac_metadata::CarrierLocations(path, name, isFolder, Sidecars(), std::ref(lookup));
}

const mac_metadata::SidecarFolders& CachedFolder::Sidecars() {
  if (!sidecars_ || sidecarsFoundAt_ != gReadings) {
    CachedLookup lookup(this, nullptr);
    sidecars_ = mac_metadata::SidecarFoldersOf(path, std::ref(lookup));
    sidecarsFoundAt_ = gReadings;
  }
  return *sidecars_;
}
