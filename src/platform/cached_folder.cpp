#include "platform/cached_folder.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <utility>

#include "platform/string_helpers.h"

namespace {

// The folders whose descriptors are open, the one last read or revalidated
// first; empty slots at the end.
std::array<CachedFolder*, 4> gDescriptorHolders{};

std::uint64_t gReadings = 0;

}  // namespace

CachedFolder::CachedFolder(std::string folderPath, bool inCarrier)
    : path(std::move(folderPath)), carrier(inCarrier) {}

CachedFolder::~CachedFolder() { ReleaseDescriptor(); }

std::uint64_t CachedFolder::Readings() { return gReadings; }

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
