#pragma once
// A file or folder on disk, seen the way a Mac sees it: items listed in a
// Mac volume's name order, Mac type and creator codes, Finder flags and a
// resource fork, wherever off a Mac these happen to be kept (extended
// attributes, AppleDouble sidecars, __MACOSX folders). Only this layer knows
// the carriers; callers ask the item.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class BinaryStream;
class TextOutputStream;
class ResourceFork;

// What tells one file or folder from another, by whatever path it is reached.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  auto operator<=>(const FileIdentity&) const = default;
};

class FolderItem {
 public:
  explicit FolderItem(std::filesystem::path path);

  const std::filesystem::path& Path() const;

  // The item named `name` inside this folder; it need not exist.
  FolderItem Child(const std::string& name) const;
  // The folder that holds this item (the root is its own parent).
  FolderItem Parent() const;
  // The last path component, extension included.
  std::string Name() const;
  // The absolute, normalised path text; GetFolderItem resolves it back.
  std::string AbsolutePath() const;

  // Items of this folder, from 1, in name order (case-insensitive, then byte
  // by byte); metadata carriers (._NAME sidecars, __MACOSX and .AppleDouble
  // folders) are never listed. Count is 0 for a file or an unreadable folder.
  // The listing is re-read only when the folder has changed on disk.
  std::int32_t Count() const;
  // Throws OutOfBoundsException when i is not between 1 and Count(). Answers
  // from the listing the last Count() saw, so the two always agree.
  FolderItem Item(std::int32_t i) const;

  // True when anything stands at the path (a dangling link too).
  bool Exists() const;
  // The device and inode of what stands at the path now (links followed);
  // nullopt when nothing can be looked at there. Asked afresh every time.
  std::optional<FileIdentity> Identity() const;
  // A folder; a symbolic link is not one, even to a folder, so that a walk
  // over Item() always ends. (Metadata, Count() and the streams do follow
  // links.)
  bool Directory() const;
  // False when the name starts with "." or the Finder flags carry 0x4000.
  bool Visible() const;

  // Four-character codes from the Finder info, "" where there is none (and
  // for a folder). Codes are case-sensitive. The metadata is read once per
  // item (copies share it).
  std::string MacType() const;
  std::string MacCreator() const;

  // Creates the folder; false when it could not be created and no folder
  // stands at this path.
  bool CreateAsFolder() const;
  // A text file that appears at this path only when it is committed. Throws
  // NilObjectException (with a readable message) when it cannot be created.
  std::unique_ptr<TextOutputStream> CreateTextFile() const;
  // Read-only; throws NilObjectException when the file cannot be opened.
  std::unique_ptr<BinaryStream> OpenAsBinaryFile(bool write = false) const;
  // The parsed resource fork; nullopt when there is none or it does not parse.
  std::optional<ResourceFork> OpenResourceFork() const;

  // False when the Finder hides the extension. Setting it changes the Finder
  // flag only where the platform keeps Finder flags natively (macOS);
  // elsewhere, and for an item that does not exist, it changes nothing.
  bool ExtensionVisible() const;
  void SetExtensionVisible(bool visible) const;

 private:
  // What copies of one item share: its path, where it was listed from, its
  // folder's cached listing and its metadata once read (folder_item.cpp). A
  // copy costs one reference count.
  struct State;
  explicit FolderItem(std::shared_ptr<State> state);

  std::shared_ptr<State> state_;
};

// Resolves an AbsolutePath text; mode 0 is the only mode. nullopt for text
// that is not an absolute path.
std::optional<FolderItem> GetFolderItem(const std::string& path, int mode = 0);
