#pragma once
// Mac metadata off a Mac: the Finder info and the resource fork of an item,
// decoded from the carriers that other systems keep them in, and read in a
// fixed order where for each value the first carrier that has it wins:
//
//   1. extended attributes: com.apple.FinderInfo, com.apple.ResourceFork
//      (macOS); user.org.netatalk.Metadata (an AppleDouble blob: entry 9 is
//      the Finder info) and user.org.netatalk.ResourceFork (Netatalk);
//      user.DosStream.AFP_AfpInfo:$DATA (Samba's 60-byte "AFP\0" blob, Finder
//      info at offset 16) and user.DosStream.AFP_Resource:$DATA (Samba);
//   2. AppleDouble files, nearest first (CarrierLocations below).
//
// Finder info of all zero bytes counts as absent, and so does a resource fork
// that does not parse or is the placeholder macOS writes ("This resource fork
// intentionally left blank"). A carrier that cannot be read counts as absent.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/resource_fork.h"

// The 32 bytes of Finder info: FInfo (or DInfo for a folder), then FXInfo.
class FinderInfo {
 public:
  static constexpr std::size_t kSize = 32;
  // Finder flags (bytes 8-9, big-endian).
  static constexpr std::uint16_t kIsInvisible = 0x4000;
  static constexpr std::uint16_t kHasHiddenExtension = 0x0010;

  // The first 32 bytes of `bytes`, shorter input padded with zeros; nullopt
  // when they are all zero (Finder info that says nothing counts as none).
  static std::optional<FinderInfo> FromBytes(std::string_view bytes);
  // All-zero Finder info, for building new values.
  FinderInfo() = default;

  // Bytes 0-3 and 4-7, exactly as stored (codes are case-sensitive).
  std::string Type() const;
  std::string Creator() const;
  std::uint16_t Flags() const;
  void SetFlags(std::uint16_t flags);
  bool IsZero() const;
  // The 32 bytes.
  std::string Bytes() const;

 private:
  std::array<std::uint8_t, kSize> bytes_{};
};

namespace mac_metadata {

inline constexpr const char* kFinderInfoAttribute = "com.apple.FinderInfo";
inline constexpr const char* kResourceForkAttribute = "com.apple.ResourceFork";
inline constexpr const char* kNetatalkMetadataAttribute = "user.org.netatalk.Metadata";
inline constexpr const char* kNetatalkResourceForkAttribute = "user.org.netatalk.ResourceFork";
inline constexpr const char* kAfpInfoAttribute = "user.DosStream.AFP_AfpInfo:$DATA";
inline constexpr const char* kAfpResourceAttribute = "user.DosStream.AFP_Resource:$DATA";

// Names that are metadata, not items: "._NAME" sidecars, and the __MACOSX and
// .AppleDouble folders.
inline constexpr std::string_view kSidecarPrefix = "._";
inline constexpr std::string_view kMacosxFolder = "__MACOSX";
inline constexpr std::string_view kAppleDoubleFolder = ".AppleDouble";
// Netatalk keeps a folder's own metadata in its .AppleDouble under this name.
inline constexpr std::string_view kAppleDoubleParent = ".Parent";
bool IsSidecarName(std::string_view name);
bool IsMetadataName(std::string_view name);

// Decoders of one carrier's bytes; nullopt when the carrier does not hold the
// value (or holds only zeros, or a fork that does not parse).
std::optional<FinderInfo> FinderInfoFromAttribute(std::string_view bytes);  // com.apple.FinderInfo
std::optional<FinderInfo> FinderInfoFromAfpInfo(std::string_view bytes);
std::optional<FinderInfo> FinderInfoFromAppleDouble(std::string_view blob);
std::optional<ResourceFork> ResourceForkFromAppleDouble(std::string blob);
std::optional<ResourceFork> ResourceForkFromBytes(std::string bytes);

// Which of the metadata attributes above an item has, from one listing of its
// attribute names.
struct AttributeNames {
  bool finderInfo = false;
  bool resourceFork = false;
  bool netatalkMetadata = false;
  bool netatalkResourceFork = false;
  bool afpInfo = false;
  bool afpResource = false;

  static AttributeNames From(const std::vector<std::string>& names);
};

// Where one item's metadata may be kept, in reading order: its own extended
// attributes, then its AppleDouble files.
struct Carriers {
  AttributeNames attributes;                  // which of them are present
  std::vector<std::string> appleDoubleFiles;  // paths, nearest first; may not exist
};

// Answers whether the folder at the absolute path `folder` holds an entry
// named `name` (items and carriers alike).
using EntryLookup = std::function<bool(std::string_view folder, std::string_view name)>;

// Where the AppleDouble files of the items of one folder may be kept, besides
// the folder itself: what every item in it shares, found once.
struct SidecarFolders {
  bool appleDouble = false;          // the folder holds Netatalk's ".AppleDouble"
  std::vector<std::string> mirrors;  // its __MACOSX mirrors that exist, nearest first
};

// The sidecar folders of the folder at `folder` (absolute and normalised):
// its ".AppleDouble", and the mirrors a zip unpacked in it or anywhere above
// leaves, repeating the folders between: FOLDER/__MACOSX, then
// ROOT/__MACOSX/a/b for FOLDER = ROOT/a/b, upward.
SidecarFolders SidecarFoldersOf(std::string_view folder, const EntryLookup& exists);

// Where the metadata of the item `name` in the folder at `folder` (absolute
// and normalised; its sidecar folders are `around`) is kept: its own extended
// attributes (`attributes` is left for the caller to fill in), then the
// AppleDouble files that `exists` finds, nearest first: "._NAME" beside it,
// ".AppleDouble/NAME", a folder's own ".AppleDouble/.Parent", and "._NAME" in
// each mirror. The root, which has no name, has none.
Carriers CarrierLocations(std::string_view folder, std::string_view name, bool isFolder,
                          const SidecarFolders& around, const EntryLookup& exists);

// The first Finder info / resource fork found, in carrier order; `item` is
// the path whose extended attributes are read.
std::optional<FinderInfo> ReadFinderInfo(const std::string& item, const Carriers& carriers);
std::optional<ResourceFork> ReadResourceFork(const std::string& item, const Carriers& carriers);

}  // namespace mac_metadata
