#pragma once
// One folder as file items see it: its listing, read again only when the
// folder changed on disk, and what has been looked up in it. Internal to the
// file items (folder_item.cpp), which share each folder among the items it
// listed and the items below it, so that the ancestors of everything a walk
// hands out are looked at once.
//
// Revalidating the listing costs one fstat of the descriptor the folder
// holds. The folders last read or revalidated (those a walk is in) hold one,
// a few at most however deep the tree; any other folder goes by path.

#include <dirent.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/directory_listing.h"
#include "platform/mac_metadata.h"

class CachedFolder {
 public:
  // `carrier`: a carrier folder or one inside it, read by path when first
  // looked into and never revalidated.
  CachedFolder(std::string path, bool carrier);
  ~CachedFolder();
  CachedFolder(const CachedFolder&) = delete;
  CachedFolder& operator=(const CachedFolder&) = delete;

  const std::string path;  // absolute and normalised
  const bool carrier;
  // The folder that holds this one, made when first needed (Parent()); none
  // for a carrier.
  std::shared_ptr<CachedFolder> parent;

  // The listing as the last revalidation saw it; read if there is none.
  // nullptr when the folder cannot be read.
  const DirectoryListing* Current();
  // Revalidates with one fstat, reading the folder again only if it changed
  // (or its listing cannot yet be trusted, DirectoryListing::Read).
  const DirectoryListing* Refresh();
  // True when an entry of this name stands in the folder: from the listing
  // when there is one, otherwise looked for with one lstat, remembered.
  bool Contains(std::string_view name);
  // File items changed the folder: it is read again when next asked.
  void Changed();

  // The parent, kept; null for the root.
  const std::shared_ptr<CachedFolder>& Parent();
  // The carrier folder `name` inside this one, kept until this is read again.
  CachedFolder& Inside(std::string_view name);

  // Where the metadata of the entry `name` of this folder may be kept
  // (mac_metadata::CarrierLocations; the attribute names are left empty),
  // looked up in the folders cached around it. `own` is the entry's own
  // folder when it is one: it is read rather than probed, as a folder asked
  // about is walked next. Null for a file.
  mac_metadata::Carriers CarriersOf(std::string_view name, bool isFolder, CachedFolder* own);

 private:
  // Where the sidecars of its items may be: found once for them all, and
  // again after any folder was read.
  const mac_metadata::SidecarFolders& Sidecars();
  void HoldDescriptor();
  void ReleaseDescriptor();
  void Load();

  DIR* dir_ = nullptr;  // null: revalidated and read by path
  std::unique_ptr<const DirectoryListing> listing_;
  bool stale_ = false;
  // Carrier folders inside this one, and entries looked for without a
  // listing; both forgotten when the folder is read again.
  std::map<std::string, std::shared_ptr<CachedFolder>, std::less<>> inside_;
  std::map<std::string, bool, std::less<>> probed_;
  std::optional<mac_metadata::SidecarFolders> sidecars_;
  std::uint64_t sidecarsFoundAt_ = 0;  // the count of readings they were found at
};
