#include "platform/folder_item.h"

#include <sys/stat.h>

#include <limits>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/binary_stream.h"
#include "platform/directory_listing.h"
#include "platform/errors.h"
#include "platform/extended_attributes.h"
#include "platform/mac_metadata.h"
#include "platform/read_ahead.h"
#include "platform/resource_fork.h"
#include "platform/text_output_stream.h"

// How items stay cheap.
//
// A FolderItem is one shared State: its absolute path as plain text (never
// parsed into components on the scan's path), what the listing that handed
// it out said about it, and its metadata once read. Items handed out by
// Item(i) point at the Folder that listed them. A Folder holds its sorted
// listing, an open descriptor (so that revalidating is one fstat, and a
// child's attribute names are listed without a path walk), the helpers'
// read-ahead of its items' attribute names and of its next sub-folders'
// listings (ReadAhead), and, made when first needed, its own parent Folder,
// so that the ancestors of everything a scan hands out are looked at once.
//
// Count() revalidates the listing with one fstat: the listing is read again
// only when the folder's stamp (inode, mtime, ctime) changed, or when it was
// read so soon after the folder's last change that a later change could have
// left the stamp as it was (DirectoryListing::Read). Item(i) answers from the
// listing that the last Count() saw, so the two always agree.
//
// An item's Finder info is read once per State: which metadata attributes it
// has (one listing of its attribute names), their values only where present,
// then the AppleDouble files that the cached listings say exist ("._NAME",
// ".AppleDouble/NAME", the __MACOSX mirrors). Items made from a path, which
// no listing vouches for, try those files directly.
//
// Symbolic links are not followed when telling folders from files: a link to
// a folder is not a Directory(), so a walk over Item() always ends. Metadata,
// Count() and the streams do follow links.
//
// FolderItems are used from one thread at a time, like the framework they
// stand for; only ReadAhead has helper threads, behind its own
// synchronisation. A sub-folder's listing read ahead is taken only if the
// folder's stamp is still the one it was read with.

namespace {

bool IsRootPath(const std::string& path) { return path == "/"; }

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

std::string ParentPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  if (IsRootPath(path)) return std::string();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

struct Folder;
using FolderPtr = std::shared_ptr<Folder>;

// One folder: its cached listing and what is derived from it.
struct Folder {
  explicit Folder(std::string p, bool keepDescriptor = true)
      : path(std::move(p)),
        name(BaseName(path)),
        isRoot(IsRootPath(path)),
        keepDescriptor(keepDescriptor) {}
  ~Folder() {
    if (readAhead) readAhead->Cancel();
    if (pending.readAhead) pending.readAhead->Cancel();
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  const std::string path;
  const std::string name;
  const bool isRoot;
  const bool keepDescriptor;  // false for the metadata folders looked into

  FolderPtr parent;                       // made when first needed, see ParentOf
  std::shared_ptr<FolderDescriptor> dir;  // null: revalidated and read by path
  std::shared_ptr<const DirectoryListing> listing;
  std::shared_ptr<ReadAhead> readAhead;  // for `listing`'s items
  ReadAhead::Subfolder pending;          // read ahead by a helper, not yet checked
  std::uint64_t version = 0;             // raised whenever `listing` is replaced
  bool stale = false;                    // this layer changed the folder

  // Without a listing, whether the metadata folders exist is probed once.
  int probedMacosx = -1;
  int probedAppleDouble = -1;

  // Derived from the listing; made again when `version` moves on.
  std::uint64_t mirrorsVersion = std::numeric_limits<std::uint64_t>::max();
  std::vector<FolderPtr> mirrors;
  std::uint64_t appleDoubleVersion = std::numeric_limits<std::uint64_t>::max();
  FolderPtr appleDouble;

  int fd() const { return dir ? dir->get() : -1; }

  // Opens the descriptor if the budget allows; false when the path is not a
  // folder that can be opened (then there is nothing to list).
  bool EnsureDescriptor() {
    if (dir || !keepDescriptor) return true;
    bool isFolder = false;
    dir = FolderDescriptor::Open(path, isFolder);
    return dir || isFolder;
  }

  void Load() {
    stale = false;
    ++version;
    if (readAhead) {
      readAhead->Cancel();
      readAhead.reset();
    }
    ReadAhead::Subfolder ahead = std::move(pending);
    pending = ReadAhead::Subfolder();
    if (!EnsureDescriptor()) {
      if (ahead.readAhead) ahead.readAhead->Cancel();
      listing = nullptr;
      return;
    }
    if (ahead.listing) {
      // Read ahead by a helper: good if the folder has not changed since.
      FolderStamp stamp;
      const bool ok = dir ? StampOf(dir->get(), stamp) : StampOf(path, stamp);
      if (ok && stamp == ahead.listing->Stamp() && ahead.listing->Trusted()) {
        listing = std::move(ahead.listing);
        readAhead = std::move(ahead.readAhead);
        if (readAhead) readAhead->Focus();
        return;
      }
      if (ahead.readAhead) ahead.readAhead->Cancel();
    }
    listing = DirectoryListing::Read(fd(), path);
    if (listing && dir) {
      // A scan that looked at the metadata of the folder above will here too.
      const bool wanted = parent && parent->readAhead && parent->readAhead->AttributesWanted();
      readAhead = ReadAhead::Start(dir, path, listing, wanted);
    }
  }

  // The listing as the last revalidation saw it; read if there is none.
  const DirectoryListing* Current() {
    if (!listing || stale) Load();
    return listing.get();
  }

  // Revalidates with one stat, reading the folder again only if it changed.
  const DirectoryListing* Refresh() {
    if (!listing || stale) {
      Load();
      return listing.get();
    }
    FolderStamp stamp;
    const bool ok = dir ? StampOf(dir->get(), stamp) : StampOf(path, stamp);
    if (!ok) {
      // Deleted or unreadable: drop the descriptor and look again by path.
      dir.reset();
      Load();
      return listing.get();
    }
    if (!(stamp == listing->Stamp()) || !listing->Trusted()) Load();
    return listing.get();
  }

  bool Probe(std::string_view entry, int& cache) {
    if (cache < 0) cache = LstatIsDirectory(JoinPath(path, entry)) ? 1 : 0;
    return cache == 1;
  }
  bool HasMacosx() {
    if (listing && !stale) return listing->HasMacosxFolder();
    return Probe(mac_metadata::kMacosxFolder, probedMacosx);
  }
  bool HasAppleDouble() {
    if (listing && !stale) return listing->HasAppleDoubleFolder();
    return Probe(mac_metadata::kAppleDoubleFolder, probedAppleDouble);
  }
};

FolderPtr ParentOf(const FolderPtr& folder) {
  if (folder->isRoot) return nullptr;
  if (!folder->parent) folder->parent = std::make_shared<Folder>(ParentPath(folder->path));
  return folder->parent;
}

// The folders that mirror `folder` in __MACOSX trees, nearest first: its own
// __MACOSX, then, for each mirror of its parent that holds an entry of its
// name, that entry.
const std::vector<FolderPtr>& MirrorsOf(const FolderPtr& folder) {
  if (folder->mirrorsVersion == folder->version) return folder->mirrors;
  std::vector<FolderPtr> mirrors;
  if (folder->HasMacosx()) {
    mirrors.push_back(std::make_shared<Folder>(JoinPath(folder->path, mac_metadata::kMacosxFolder),
                                               /*keepDescriptor=*/false));
  }
  if (FolderPtr parent = ParentOf(folder)) {
    for (const FolderPtr& mirror : MirrorsOf(parent)) {
      const DirectoryListing* listing = mirror->Current();
      if (listing && listing->Contains(folder->name)) {
        mirrors.push_back(std::make_shared<Folder>(JoinPath(mirror->path, folder->name), false));
      }
    }
  }
  folder->mirrors = std::move(mirrors);
  folder->mirrorsVersion = folder->version;
  return folder->mirrors;
}

// The folder's .AppleDouble folder, if there is one.
Folder* AppleDoubleOf(const FolderPtr& folder) {
  if (folder->appleDoubleVersion != folder->version) {
    folder->appleDouble = folder->HasAppleDouble()
                              ? std::make_shared<Folder>(
                                    JoinPath(folder->path, mac_metadata::kAppleDoubleFolder), false)
                              : nullptr;
    folder->appleDoubleVersion = folder->version;
  }
  return folder->appleDouble.get();
}

// What copies of one item share.
struct ItemState {
  std::string path;  // absolute and normalised
  std::string name;  // the last component; "" for the root

  // The folder that holds the item; for an item made from a path it is made
  // when first needed (ParentFolder).
  FolderPtr parent;
  // What the parent's listing said when it handed the item out.
  bool listed = false;
  EntryKind kind = EntryKind::File;
  bool hasSidecar = false;
  std::shared_ptr<ReadAhead> readAhead;  // the listing's read-ahead
  std::size_t index = 0;                 // in that listing
  ReadAhead::Subfolder subfolder;        // this folder's own listing, read ahead

  // The item as a folder (Count, Item, Child), made when first needed.
  FolderPtr folder;

  // Metadata, read once.
  bool carriersRead = false;
  mac_metadata::Carriers carriers;
  bool finderRead = false;
  std::optional<FinderInfo> finder;

  // Path() as a std::filesystem::path, made when first asked.
  std::optional<std::filesystem::path> fsPath;

  ItemState() = default;
  ItemState(const ItemState&) = delete;
  ItemState& operator=(const ItemState&) = delete;
  ~ItemState() {
    if (subfolder.readAhead) subfolder.readAhead->Cancel();  // never entered
  }
};

}  // namespace

struct FolderItem::State : ItemState {};

namespace {

FolderPtr ParentFolder(ItemState& state) {
  if (!state.parent && !IsRootPath(state.path)) {
    state.parent =
        state.folder ? ParentOf(state.folder) : std::make_shared<Folder>(ParentPath(state.path));
  }
  return state.parent;
}

FolderPtr OwnFolder(ItemState& state) {
  if (!state.folder) {
    state.folder = std::make_shared<Folder>(state.path);
    state.folder->parent = state.parent;  // share the chain of ancestors
    state.folder->pending = std::move(state.subfolder);
    state.subfolder = ReadAhead::Subfolder();
  }
  return state.folder;
}

bool IsDirectory(const ItemState& state) {
  if (state.listed) return state.kind == EntryKind::Directory;
  return LstatIsDirectory(state.path);
}

const mac_metadata::Carriers& CarriersOf(ItemState& state) {
  if (state.carriersRead) return state.carriers;
  state.carriersRead = true;
  mac_metadata::Carriers& c = state.carriers;
  c.item = state.path;
  FolderPtr parent = ParentFolder(state);

  // 1. Extended attributes: which of the metadata names are present.
  if (state.readAhead) {
    c.attributes = state.readAhead->Attributes(state.index);
  } else {
    const std::vector<std::string> names =
        parent && parent->dir ? xattrs::ListAt(parent->dir->get(), parent->path, state.name)
                              : xattrs::List(state.path);
    if (!names.empty()) c.attributes = mac_metadata::AttributeNames::From(names);
  }
  if (!parent) return c;  // the root: no folder around it to hold sidecars

  // 2. AppleDouble beside the item: "._NAME", then ".AppleDouble/NAME". An
  //    item that a listing handed out knows from it whether they exist; an
  //    item made from a path tries them.
  std::string sidecar(mac_metadata::kSidecarPrefix);
  sidecar += state.name;
  if (!state.listed || state.hasSidecar)
    c.appleDoubleFiles.push_back(JoinPath(parent->path, sidecar));
  if (state.listed) {
    if (Folder* ad = AppleDoubleOf(parent)) {
      const DirectoryListing* listing = ad->Current();
      if (listing && listing->Contains(state.name))
        c.appleDoubleFiles.push_back(JoinPath(ad->path, state.name));
    }
  } else {
    c.appleDoubleFiles.push_back(
        JoinPath(JoinPath(parent->path, mac_metadata::kAppleDoubleFolder), state.name));
  }
  //    A folder's own Netatalk record: NAME/.AppleDouble/.Parent.
  if (IsDirectory(state)) {
    const DirectoryListing* own = OwnFolder(state)->Current();
    if (own && own->HasAppleDoubleFolder()) {
      c.appleDoubleFiles.push_back(JoinPath(JoinPath(state.path, mac_metadata::kAppleDoubleFolder),
                                            mac_metadata::kAppleDoubleParent));
    }
  }

  // 3. __MACOSX mirrors in the item's folder or any folder above it.
  for (const FolderPtr& mirror : MirrorsOf(parent)) {
    const DirectoryListing* listing = mirror->Current();
    if (listing && listing->Contains(sidecar))
      c.appleDoubleFiles.push_back(JoinPath(mirror->path, sidecar));
  }
  return c;
}

const std::optional<FinderInfo>& FinderOf(ItemState& state) {
  if (!state.finderRead) {
    state.finder = mac_metadata::ReadFinderInfo(CarriersOf(state));
    state.finderRead = true;
  }
  return state.finder;
}

void ForgetMetadata(ItemState& state) {
  state.carriersRead = false;
  state.carriers = mac_metadata::Carriers();
  state.finderRead = false;
  state.finder.reset();
  state.readAhead.reset();
}

// A plain entry name: one path component that names something inside.
bool IsEntryName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

FolderItem::FolderItem(std::filesystem::path path) : state_(std::make_shared<State>()) {
  state_->path = Normalise(path);
  state_->name = BaseName(state_->path);
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
  state->name = name;
  state->parent = OwnFolder(*state_);
  return FolderItem(std::move(state));
}

FolderItem FolderItem::Parent() const {
  if (IsRootPath(state_->path)) return *this;
  FolderPtr parent = ParentFolder(*state_);
  auto state = std::make_shared<State>();
  state->path = parent->path;
  state->name = parent->name;
  state->folder = parent;
  state->parent = parent->parent;  // may be null: made when needed
  return FolderItem(std::move(state));
}

std::string FolderItem::Name() const {
  if (IsRootPath(state_->path)) return state_->path;
  return state_->name;
}

std::string FolderItem::AbsolutePath() const { return state_->path; }

std::int32_t FolderItem::Count() const {
  const DirectoryListing* listing = OwnFolder(*state_)->Refresh();
  if (!listing) return 0;
  const std::size_t n = listing->Items().size();
  return n > static_cast<std::size_t>(INT32_MAX) ? INT32_MAX : static_cast<std::int32_t>(n);
}

FolderItem FolderItem::Item(std::int32_t i) const {
  FolderPtr folder = OwnFolder(*state_);
  const DirectoryListing* listing = folder->Current();
  const std::size_t n = listing ? listing->Items().size() : 0;
  if (i < 1 || static_cast<std::size_t>(i) > n) {
    throw OutOfBoundsException("項目の番号 " + std::to_string(i) + " は範囲外です（" +
                               state_->path + " の項目は " + std::to_string(n) + " 個）");
  }
  const std::size_t index = static_cast<std::size_t>(i) - 1;
  const DirectoryEntry& entry = listing->Items()[index];
  auto state = std::make_shared<State>();
  state->path = JoinPath(folder->path, entry.name);
  state->name = entry.name;
  state->listed = true;
  state->kind = entry.kind;
  state->hasSidecar = entry.hasSidecar;
  state->readAhead = folder->readAhead;
  state->index = index;
  if (entry.kind == EntryKind::Directory && folder->readAhead) {
    state->subfolder = folder->readAhead->TakeSubfolder(index);
  }
  state->parent = std::move(folder);
  return FolderItem(std::move(state));
}

bool FolderItem::Exists() const {
  struct stat st;
  return ::lstat(state_->path.c_str(), &st) == 0;
}

bool FolderItem::Directory() const { return IsDirectory(*state_); }

bool FolderItem::Visible() const {
  const std::string& name = state_->name;
  if (!name.empty() && name[0] == '.') return false;
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
    if (state_->parent) state_->parent->stale = true;
    return true;
  }
  struct stat st;
  return ::stat(state_->path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::unique_ptr<TextOutputStream> FolderItem::CreateTextFile() const {
  if (state_->parent) state_->parent->stale = true;
  return TextOutputStream::Create(Path());
}

std::unique_ptr<BinaryStream> FolderItem::OpenAsBinaryFile(bool write) const {
  if (write) {
    throw NilObjectException("「" + state_->path + "」は読み出し専用でしか開けません。");
  }
  return BinaryStream::Open(Path());
}

std::optional<ResourceFork> FolderItem::OpenResourceFork() const {
  return mac_metadata::ReadResourceFork(CarriersOf(*state_));
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
