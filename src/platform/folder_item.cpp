#include "platform/folder_item.h"

#include <sys/stat.h>

#include <utility>

#include "platform/binary_stream.h"
#include "platform/cached_folder.h"
#include "platform/errors.h"
#include "platform/extended_attributes.h"
#include "platform/mac_metadata.h"
#include "platform/resource_fork.h"
#include "platform/string_helpers.h"
#include "platform/text_output_stream.h"

// How items stay cheap.
//
// A FolderItem is one shared State: its absolute path as plain text (never
// parsed into components on a walk), what the listing that handed it out said
// about it, and its metadata once read. Items handed out by Item(i) point at
// the CachedFolder that listed them, which holds its sorted listing, the
// carrier folders looked into inside it, and, made when first needed, its own
// parent, so that the ancestors of everything a walk hands out are looked at
// once.
//
// Count() revalidates the listing with one fstat: the listing is read again
// only when the folder's stamp (inode, mtime, ctime) changed, or when it was
// read so soon after the folder's last change that a later change could have
// left the stamp as it was (DirectoryListing::Read). Item(i) answers from the
// listing that the last Count() saw, so the two always agree.
//
// An item's metadata is read once per State, from the carriers that
// mac_metadata::CarrierLocations names; where the sidecars of a folder's
// items may be is found once for them all. The carrier lookups ask which
// entries exist; a folder answers from its listing when it has one, reads a
// carrier folder (__MACOSX, .AppleDouble and the folders inside them) when
// first asked, and looks for an entry of any other folder with one lstat,
// remembered.
//
// Symbolic links are not followed when telling folders from files: a link to
// a folder is not a Directory(), so a walk over Item() always ends. Metadata,
// Count() and the streams do follow links.

namespace {

bool IsRootPath(std::string_view path) { return path == "/"; }

// True when `path` is `folder` or inside it.
bool IsWithin(std::string_view path, std::string_view folder) {
  if (IsRootPath(folder)) return true;
  return path.substr(0, folder.size()) == folder &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

// Absolute, with "." and ".." resolved lexically, no trailing separator.
std::string Normalise(const std::filesystem::path& path) {
  std::filesystem::path p = path;
  if (!p.is_absolute()) {
    std::error_code ec;
    p = std::filesystem::absolute(p, ec);
    if (ec) p = std::filesystem::path("/") / path;
  }
  p = p.lexically_normal();
  if (!p.has_relative_path()) return "/";
  std::string text = p.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool LstatIsDirectory(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

using FolderPtr = std::shared_ptr<CachedFolder>;

// What copies of one item share.
struct ItemState {
  std::string path;  // absolute and normalised

  // The folder that holds the item; for an item made from a path it is made
  // when first needed (ParentFolder).
  FolderPtr parent;
  // What the parent's listing said when it handed the item out.
  bool listed = false;
  bool directory = false;

  // The item as a folder (Count, Item, Child), made when first needed.
  FolderPtr folder;

  // Metadata, read once.
  bool carriersRead = false;
  mac_metadata::Carriers carriers;
  bool finderRead = false;
  std::optional<FinderInfo> finder;

  // Path() as a std::filesystem::path, made when first asked.
  std::optional<std::filesystem::path> fsPath;
};

}  // namespace

struct FolderItem::State : ItemState {};

namespace {

const FolderPtr& ParentFolder(ItemState& state) {
  if (!state.parent && !IsRootPath(state.path)) {
    state.parent = state.folder
                       ? state.folder->Parent()
                       : std::make_shared<CachedFolder>(std::string(ParentPath(state.path)), false);
  }
  return state.parent;
}

const FolderPtr& OwnFolder(ItemState& state) {
  if (!state.folder) {
    state.folder = std::make_shared<CachedFolder>(state.path, false);
    state.folder->parent = state.parent;  // share the chain of ancestors
  }
  return state.folder;
}

bool IsDirectory(const ItemState& state) {
  if (state.listed) return state.directory;
  return LstatIsDirectory(state.path);
}

// Answers the carrier lookups from the folders cached around one folder and
// its item: the item itself, if any, the folder and those above, and the
// carrier folders inside them.
class CachedLookup {
 public:
  CachedLookup(CachedFolder* near, ItemState* item) : item_(item), near_(near) {}

  bool operator()(std::string_view folder, std::string_view name) {
    CachedFolder* at = nullptr;
    if (near_ && folder == near_->path) {
      at = near_;  // the usual question: an entry beside the item
    } else if (item_ && IsWithin(folder, item_->path)) {
      // A folder asked about its own carriers is walked next: read rather
      // than probed.
      at = OwnFolder(*item_).get();
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
  ItemState* item_;
  CachedFolder* near_;  // kept by the folder below it, or by the item
};

// Found once per folder for all its items, again after any folder was read.
const mac_metadata::SidecarFolders& SidecarFoldersOf(CachedFolder& folder) {
  if (!folder.sidecars || folder.sidecarsFoundAt != CachedFolder::Readings()) {
    CachedLookup lookup(&folder, nullptr);
    folder.sidecars = mac_metadata::SidecarFoldersOf(folder.path, std::ref(lookup));
    folder.sidecarsFoundAt = CachedFolder::Readings();
  }
  return *folder.sidecars;
}

const mac_metadata::Carriers& CarriersOf(ItemState& state) {
  if (!state.carriersRead) {
    if (CachedFolder* parent = ParentFolder(state).get()) {
      CachedLookup lookup(parent, &state);
      state.carriers = mac_metadata::CarrierLocations(
          parent->path, PathBelow(state.path, parent->path), IsDirectory(state),
          SidecarFoldersOf(*parent), std::ref(lookup));
    }
    state.carriers.attributes = mac_metadata::AttributeNames::From(xattrs::List(state.path));
    state.carriersRead = true;
  }
  return state.carriers;
}

const std::optional<FinderInfo>& FinderOf(ItemState& state) {
  if (!state.finderRead) {
    state.finder = mac_metadata::ReadFinderInfo(state.path, CarriersOf(state));
    state.finderRead = true;
  }
  return state.finder;
}

void ForgetMetadata(ItemState& state) {
  state.carriersRead = false;
  state.carriers = mac_metadata::Carriers();
  state.finderRead = false;
  state.finder.reset();
}

// A plain entry name: one path component that names something inside.
bool IsEntryName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

FolderItem::FolderItem(std::filesystem::path path) : state_(std::make_shared<State>()) {
  state_->path = Normalise(path);
}

FolderItem::FolderItem(std::shared_ptr<State> state) : state_(std::move(state)) {}

const std::filesystem::path& FolderItem::Path() const {
  if (!state_->fsPath) state_->fsPath.emplace(state_->path);
  return *state_->fsPath;
}

FolderItem FolderItem::Child(const std::string& name) const {
  if (!IsEntryName(name)) {
    return FolderItem(std::filesystem::path(state_->path) / name);  // not a plain name: made afresh
  }
  auto state = std::make_shared<State>();
  state->path = JoinPath(state_->path, name);
  state->parent = OwnFolder(*state_);
  return FolderItem(std::move(state));
}

FolderItem FolderItem::Parent() const {
  if (IsRootPath(state_->path)) return *this;
  const FolderPtr& parent = ParentFolder(*state_);
  auto state = std::make_shared<State>();
  state->path = parent->path;
  state->folder = parent;
  state->parent = parent->parent;  // may be null: made when needed
  return FolderItem(std::move(state));
}

std::string FolderItem::Name() const {
  if (IsRootPath(state_->path)) return state_->path;
  return std::string(BaseName(state_->path));
}

std::string FolderItem::AbsolutePath() const { return state_->path; }

std::int32_t FolderItem::Count() const {
  const DirectoryListing* listing = OwnFolder(*state_)->Refresh();
  if (!listing) return 0;
  const std::size_t n = listing->Items().size();
  return n > static_cast<std::size_t>(INT32_MAX) ? INT32_MAX : static_cast<std::int32_t>(n);
}

FolderItem FolderItem::Item(std::int32_t i) const {
  const FolderPtr& folder = OwnFolder(*state_);
  const DirectoryListing* listing = folder->Current();
  const std::size_t n = listing ? listing->Items().size() : 0;
  if (i < 1 || static_cast<std::size_t>(i) > n) {
    throw OutOfBoundsException("項目の番号 " + std::to_string(i) + " は範囲外です（" +
                               state_->path + " の項目は " + std::to_string(n) + " 個）");
  }
  const DirectoryEntry& entry = listing->Items()[static_cast<std::size_t>(i) - 1];
  auto state = std::make_shared<State>();
  state->path = JoinPath(folder->path, entry.name);
  state->listed = true;
  state->directory = entry.directory;
  state->parent = folder;
  return FolderItem(std::move(state));
}

bool FolderItem::Exists() const {
  struct stat st;
  return ::lstat(state_->path.c_str(), &st) == 0;
}

std::optional<FileIdentity> FolderItem::Identity() const {
  struct stat st;
  if (::stat(state_->path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool FolderItem::Directory() const { return IsDirectory(*state_); }

bool FolderItem::Visible() const {
  if (BaseName(state_->path).substr(0, 1) == ".") return false;
  const std::optional<FinderInfo>& finder = FinderOf(*state_);
  return !(finder && (finder->Flags() & FinderInfo::kIsInvisible));
}

std::string FolderItem::MacType() const {
  if (IsDirectory(*state_)) return std::string();  // a folder has no type code
  const std::optional<FinderInfo>& finder = FinderOf(*state_);
  return finder ? finder->Type() : std::string();
}

std::string FolderItem::MacCreator() const {
  if (IsDirectory(*state_)) return std::string();
  const std::optional<FinderInfo>& finder = FinderOf(*state_);
  return finder ? finder->Creator() : std::string();
}

bool FolderItem::CreateAsFolder() const {
  if (::mkdir(state_->path.c_str(), 0777) == 0) {
    state_->listed = false;  // whatever the listing said stood here is gone
    ForgetMetadata(*state_);
    if (state_->parent) state_->parent->Changed();
    return true;
  }
  struct stat st;
  return ::stat(state_->path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::unique_ptr<TextOutputStream> FolderItem::CreateTextFile() const {
  if (state_->parent) state_->parent->Changed();
  return TextOutputStream::Create(Path());
}

std::unique_ptr<BinaryStream> FolderItem::OpenAsBinaryFile(bool write) const {
  if (write) {
    throw NilObjectException("「" + state_->path + "」は読み出し専用でしか開けません。");
  }
  return BinaryStream::Open(Path());
}

std::optional<ResourceFork> FolderItem::OpenResourceFork() const {
  return mac_metadata::ReadResourceFork(state_->path, CarriersOf(*state_));
}

bool FolderItem::ExtensionVisible() const {
  const std::optional<FinderInfo>& finder = FinderOf(*state_);
  return !(finder && (finder->Flags() & FinderInfo::kHasHiddenExtension));
}
void FolderItem::SetExtensionVisible(bool visible) const {
#if defined(__APPLE__)
  // macOS keeps Finder flags natively, in com.apple.FinderInfo (for items on
  // other volumes the system maps it to their carriers itself).
  if (!Exists()) return;
  FinderInfo info;
  if (auto bytes = xattrs::Get(state_->path, mac_metadata::kFinderInfoAttribute)) {
    if (auto current = FinderInfo::FromBytes(*bytes)) info = *current;
  }
  std::uint16_t flags = info.Flags();
  if (visible) {
    flags = static_cast<std::uint16_t>(flags & ~FinderInfo::kHasHiddenExtension);
  } else {
    flags = static_cast<std::uint16_t>(flags | FinderInfo::kHasHiddenExtension);
  }
  if (flags == info.Flags()) return;
  info.SetFlags(flags);
  if (info.IsZero()) {
    xattrs::Remove(state_->path, mac_metadata::kFinderInfoAttribute);
  } else {
    xattrs::Set(state_->path, mac_metadata::kFinderInfoAttribute, info.Bytes());
  }
  ForgetMetadata(*state_);
#else
  // Elsewhere the Finder flags live in carriers that belong to other programs
  // (sidecars, Netatalk's and Samba's records): nothing on disk changes.
  (void)visible;
#endif
}

std::optional<FolderItem> GetFolderItem(const std::string& path, int mode) {
  if (mode != 0 || path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
  std::filesystem::path p(path);
  if (!p.is_absolute()) return std::nullopt;
  return FolderItem(p);
}
