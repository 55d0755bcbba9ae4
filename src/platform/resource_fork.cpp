#include "platform/resource_fork.h"

#include <algorithm>
#include <string_view>

#include "platform/byte_reader.h"

// Layout of a classic resource fork (Inside Macintosh: More Macintosh Toolbox,
// "Resource Manager Reference"), all big-endian:
//   header (16 bytes): data offset, map offset, data length, map length;
//   resource data: each resource is a 32-bit length, then its bytes;
//   resource map: 16 bytes (header copy), 4 (handle), 2 (file ref),
//     2 (attributes), 2 (type list offset, from the map's start), 2 (name list
//     offset, from the map's start); then the type list:
//   type list: 2 bytes (number of types - 1; 0xFFFF for none), then 8 bytes
//     per type: four-character type, 2 bytes (number of resources - 1),
//     2 bytes (offset of its reference list from the type list's start);
//   reference entry (12 bytes): signed 16-bit ID, 2 bytes (name offset),
//     1 byte (attributes), 3 bytes (data offset from the data's start),
//     4 bytes (handle).

namespace {

constexpr std::uint32_t kHeaderSize = 16;
constexpr std::uint32_t kMapHeaderSize = 28;  // up to and including the name list offset
constexpr std::uint32_t kTypeEntrySize = 8;
constexpr std::uint32_t kReferenceSize = 12;
constexpr std::string_view kPlaceholderText = "This resource fork intentionally left blank";

}  // namespace

std::optional<ResourceFork> ResourceFork::Parse(const std::string& bytes) {
  const std::string_view all(bytes);
  try {
    ByteReader header(all);
    const std::uint32_t dataOffset = header.U32();
    const std::uint32_t mapOffset = header.U32();
    const std::uint32_t dataLength = header.U32();
    const std::uint32_t mapLength = header.U32();
    if (!ByteReader::Fits(all.size(), dataOffset, dataLength) ||
        !ByteReader::Fits(all.size(), mapOffset, mapLength) || mapLength < kMapHeaderSize + 2 ||
        dataOffset < kHeaderSize || mapOffset < kHeaderSize) {
      return std::nullopt;
    }
    // Offsets below are checked against the map and data sections, which lie
    // inside the fork.
    const ByteReader map = ByteReader(all).Sub(mapOffset, mapLength);
    const ByteReader data = ByteReader(all).Sub(dataOffset, dataLength);

    ByteReader mapHeader = map;
    mapHeader.Seek(24);
    const std::uint16_t typeListOffset = mapHeader.U16();
    if (!ByteReader::Fits(mapLength, typeListOffset, 2)) return std::nullopt;
    ByteReader typeList = map.Sub(typeListOffset, mapLength - typeListOffset);
    const std::uint32_t typeCount = (typeList.U16() + 1u) & 0xFFFFu;
    // Every type entry must lie in the map before any is read.
    if (!typeList.CanRead(std::uint64_t{typeCount} * kTypeEntrySize)) return std::nullopt;

    // Lists that overlap could make a small fork claim more resources, or
    // more bytes, than it holds: both totals are bounded by the fork itself.
    std::uint64_t totalReferences = 0;
    std::uint64_t totalBytes = 0;
    ResourceFork fork;
    for (std::uint32_t t = 0; t < typeCount; ++t) {
      const std::string type = typeList.String(4);
      const std::uint32_t count = typeList.U16() + 1u;
      const std::uint16_t referenceOffset = typeList.U16();
      // Reference lists count from the type list's own start.
      ByteReader refs =
          typeList.Sub(referenceOffset,
                       typeList.Size() - std::min<std::size_t>(referenceOffset, typeList.Size()));
      if (!refs.CanRead(std::uint64_t{count} * kReferenceSize)) return std::nullopt;
      totalReferences += count;
      if (totalReferences * kReferenceSize > mapLength) return std::nullopt;
      for (std::uint32_t r = 0; r < count; ++r) {
        const std::int16_t id = refs.I16();
        refs.Skip(2);  // name offset
        refs.Skip(1);  // attributes
        const std::uint32_t offset = refs.U24();
        refs.Skip(4);  // handle
        ByteReader entry =
            data.Sub(offset, data.Size() - std::min<std::size_t>(offset, data.Size()));
        const std::uint32_t length = entry.U32();
        if (!entry.CanRead(length)) return std::nullopt;
        totalBytes += std::uint64_t{length} + 4;
        if (totalBytes > dataLength) return std::nullopt;
        fork.resources_.push_back(Resource{type, id, entry.String(length)});
      }
    }
    if (fork.resources_.empty() && all.find(kPlaceholderText) != std::string_view::npos) {
      return std::nullopt;  // the blank fork macOS writes in place of none
    }
    return fork;
  } catch (const ReadError&) {
    return std::nullopt;
  }
}

std::string ResourceFork::GetResource(const std::string& type, std::int32_t id) const {
  for (const Resource& resource : resources_) {
    if (resource.id == id && resource.type == type) return resource.data;
  }
  return std::string();
}
