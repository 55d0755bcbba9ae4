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

namespace {

bool IsRootPath(std::string_view path) { return path == "/"; }

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

// A plain entry name: one path component that names something inside.
bool IsEntryName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

// What copies of one item share.
struct FolderItem::State {
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

  const FolderPtr& ParentFolder() {
    if (!parent && !IsRootPath(path)) {
      parent = folder ? folder->Parent()
                      : std::make_shared<CachedFolder>(std::string(ParentPath(path)), false);
    }
    return parent;
  }

  const FolderPtr& OwnFolder() {
    if (!folder) {
      folder = std::make_shared<CachedFolder>(path, false);
      folder->parent = parent;  // share the chain of ancestors
    }
    return folder;
  }

  bool IsDirectory() const { return listed ? directory : LstatIsDirectory(path); }

  const mac_metadata::Carriers& Carriers() {
    if (!carriersRead) {
      if (CachedFolder* holder = ParentFolder().get()) {
        const bool isFolder = IsDirectory();
        carriers = holder->CarriersOf(PathBelow(path, holder->path), isFolder,
                                      isFolder ? OwnFolder().get() : nullptr);
      }
      carriers.attributes = mac_metadata::AttributeNames::From(xattrs::List(path));
      carriersRead = true;
    }
    return carriers;
  }

  const std::optional<FinderInfo>& Finder() {
    if (!finderRead) {
      finder = mac_metadata::ReadFinderInfo(path, Carriers());
      finderRead = true;
    }
    return finder;
  }

  void ForgetMetadata() {
    carriersRead = false;
    carriers = mac_metadata::Carriers();
    finderRead = false;
    finder.reset();
  }
};

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
  state->parent = state_->OwnFolder();
  return FolderItem(std::move(state));
}

FolderItem FolderItem::Parent() const {
  if (IsRootPath(state_->path)) return *this;
  const FolderPtr& parent = state_->ParentFolder();
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
  const DirectoryListing* listing = state_->OwnFolder()->Refresh();
  if (!listing) return 0;
  const std::size_t n = listing->Items().size();
  return n > static_cast<std::size_t>(INT32_MAX) ? INT32_MAX : static_cast<std::int32_t>(n);
}

FolderItem FolderItem::Item(std::int32_t i) const {
  const FolderPtr& folder = state_->OwnFolder();
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

bool FolderItem::Directory() const { return state_->IsDirectory(); }

bool FolderItem::Visible() const {
  if (BaseName(state_->path).substr(0, 1) == ".") return false;
  const std::optional<FinderInfo>& finder = state_->Finder();
  return !(finder && (finder->Flags() & FinderInfo::kIsInvisible));
}

std::string FolderItem::MacType() const {
  if (state_->IsDirectory()) return std::string();  // a folder has no type code
  const std::optional<FinderInfo>& finder = state_->Finder();
  return finder ? finder->Type() : std::string();
}

std::string FolderItem::MacCreator() const {
  if (state_->IsDirectory()) return std::string();
  const std::optional<FinderInfo>& finder = state_->Finder();
  return finder ? finder->Creator() : std::string();
}

bool FolderItem::CreateAsFolder() const {
  if (::mkdir(state_->path.c_str(), 0777) == 0) {
    state_->listed = false;  // whatever the listing said stood here is gone
    state_->ForgetMetadata();
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
  return mac_metadata::ReadResourceFork(state_->path, state_->Carriers());
}

bool FolderItem::ExtensionVisible() const {
  const std::optional<FinderInfo>& finder = state_->Finder();
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
  state_->ForgetMetadata();
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
