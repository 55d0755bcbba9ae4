#pragma once
// AppleDouble (RFC 1740; versions 1 and 2): the header file that carries a
// Mac file's Finder info and resource fork beside its data fork on other file
// systems, as "._NAME" sidecars (macOS, Samba, archivers), ".AppleDouble/NAME"
// files (Netatalk) and the user.org.netatalk.Metadata attribute.
//
// Layout, big-endian: magic 0x00051607, version (0x00010000 or 0x00020000),
// 16 filler bytes (any: "Mac OS X        ", "Netatalk        ", ...), the
// number of entries (16 bits), then 12 bytes per entry: ID, offset, length.
// Entries are found by ID, never by position. An entry whose range does not
// lie inside the file is treated as absent; a table that does not fit makes
// the whole file "not AppleDouble".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_reader.h"

class AppleDouble {
 public:
  static constexpr std::uint32_t kMagic = 0x00051607;
  static constexpr std::uint32_t kVersion1 = 0x00010000;
  static constexpr std::uint32_t kVersion2 = 0x00020000;
  static constexpr std::uint32_t kHeaderSize = 26;  // up to the entry table
  static constexpr std::uint32_t kEntrySize = 12;

  // Entry IDs used here.
  static constexpr std::uint32_t kResourceFork = 2;
  static constexpr std::uint32_t kFinderInfo = 9;

  struct Entry {
    std::uint32_t id;
    std::uint32_t offset;
    std::uint32_t length;
  };

  // Parse, ParseHead and TableSize throw ReadError, with the reason and the
  // offset in the file, when the bytes are not an AppleDouble header or its
  // entry table does not fit.

  // The header and entry table of a whole AppleDouble blob.
  static AppleDouble Parse(std::string_view blob);
  // From `head`, the first bytes of a file of `totalSize` bytes; head must
  // hold the header and the entry table (see TableSize).
  static AppleDouble ParseHead(std::string_view head, std::uint64_t totalSize);
  // The number of bytes from the file's start that hold the header and the
  // entry table, read from the first kHeaderSize bytes.
  static std::uint64_t TableSize(std::string_view header);

  std::uint32_t Version() const { return version_; }
  const std::vector<Entry>& Entries() const { return entries_; }
  // The first entry with this ID (all entries kept lie inside the file).
  std::optional<Entry> Find(std::uint32_t id) const;

  // Entry `id` of an AppleDouble file, opened for reads on demand: its length
  // and a reader of its bytes (offsets from the entry's start), which keeps
  // the file open while it lives. Only the header and the entry table are
  // read here. nullopt when the file cannot be opened or read, or has no
  // such entry; ReadError when it is not AppleDouble.
  struct FileEntry {
    std::uint64_t length;
    RangeReader read;
  };
  static std::optional<FileEntry> OpenEntry(const std::string& file, std::uint32_t id);
  // The first `maxBytes` bytes of entry `id` (all of it when shorter).
  static std::optional<std::string> ReadEntry(const std::string& file, std::uint32_t id,
                                              std::uint64_t maxBytes);

 private:
  std::uint32_t version_ = 0;
  std::vector<Entry> entries_;
};
