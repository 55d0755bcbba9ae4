#include "platform/resource_fork.h"

#include <algorithm>
#include <memory>
#include <string_view>

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
// macOS writes this text into the header area of the fork it puts in place of none.
constexpr std::string_view kPlaceholderText = "This resource fork intentionally left blank";
constexpr std::size_t kPlaceholderArea = 256;

[[noreturn]] void Refuse(const std::string& why, std::uint64_t offset) {
  throw ReadError(why, offset);
}

// The lengths in the header, checked against the fork and the format's bounds.
struct Header {
  std::uint32_t dataOffset, mapOffset, dataLength, mapLength;
};

Header ReadHeader(std::uint64_t size, const RangeReader& read) {
  if (size > ResourceFork::kMaxSize) Refuse("フォークが形式の表せる大きさを超えています", 0);
  char bytes[kHeaderSize];
  if (size < kHeaderSize || !read(0, bytes, sizeof bytes)) Refuse("フォークがヘッダより短い", 0);
  const Header h{BigEndian(bytes, 4), BigEndian(bytes + 4, 4), BigEndian(bytes + 8, 4),
                 BigEndian(bytes + 12, 4)};
  if (h.dataLength > ResourceFork::kMaxDataLength) Refuse("リソースデータが長すぎます", 8);
  if (h.mapLength > ResourceFork::kMaxMapLength) Refuse("リソースマップが長すぎます", 12);
  if (h.dataOffset < kHeaderSize || !ByteReader::Fits(size, h.dataOffset, h.dataLength))
    Refuse("リソースデータがフォークの外にあります", 0);
  if (h.mapOffset < kHeaderSize || !ByteReader::Fits(size, h.mapOffset, h.mapLength))
    Refuse("リソースマップがフォークの外にあります", 4);
  if (h.mapLength < kMapHeaderSize + 2) Refuse("リソースマップがその見出しより短い", 12);
  return h;
}

// The references of one type: `refs` over its list, `data` the data's length.
void ReadReferencesOfType(const std::string& type, ByteReader refs, std::uint32_t count,
                          std::uint32_t dataLength, std::vector<ResourceFork::Resource>& out) {
  for (std::uint32_t r = 0; r < count; ++r) {
    const std::int16_t id = refs.I16();
    refs.Skip(3);  // name offset, attributes
    const std::uint64_t offsetAt = refs.Offset();
    const std::uint32_t offset = refs.U24();
    refs.Skip(4);  // handle
    if (!ByteReader::Fits(dataLength, offset, 4))
      Refuse("リソースの位置がリソースデータの外にあります", offsetAt);
    out.push_back(ResourceFork::Resource{type, id, offset});
  }
}

// Every reference of the map, type by type. Offsets in errors count from the
// fork's start.
std::vector<ResourceFork::Resource> ReadReferences(const ByteReader& map, const Header& header) {
  ByteReader mapHeader = map;
  mapHeader.Skip(24);
  const std::uint16_t typeListOffset = mapHeader.U16();
  if (!ByteReader::Fits(header.mapLength, typeListOffset, 2))
    Refuse("型の一覧の位置がリソースマップの外にあります", header.mapOffset + 24);
  ByteReader typeList = map.Sub(typeListOffset, header.mapLength - typeListOffset,
                                "型の一覧の位置がリソースマップの外にあります");
  const std::uint32_t typeCount = (typeList.U16() + 1u) & 0xFFFFu;
  if (!typeList.CanRead(std::uint64_t{typeCount} * kTypeEntrySize))
    Refuse("型の一覧がリソースマップに収まりません", typeList.Offset() - 2);
  std::vector<ResourceFork::Resource> resources;
  // Lists that overlap could make a small map claim billions of references:
  // together they may hold no more entries than the map has room for.
  std::uint64_t totalReferences = 0;
  for (std::uint32_t t = 0; t < typeCount; ++t) {
    const std::uint64_t entryAt = typeList.Offset();
    const std::string type = typeList.String(4);
    const std::uint32_t count = typeList.U16() + 1u;
    const std::uint64_t length = std::uint64_t{count} * kReferenceSize;
    // Reference lists count from the type list's own start.
    const std::uint16_t referenceOffset = typeList.U16();
    if (!ByteReader::Fits(typeList.Size(), referenceOffset, length))
      Refuse("参照の一覧がリソースマップに収まりません", entryAt);
    totalReferences += count;
    if (totalReferences * kReferenceSize > header.mapLength)
      Refuse("参照の数がリソースマップに収まりません", entryAt);
    ReadReferencesOfType(type, typeList.Sub(referenceOffset, length, "参照の一覧が外にあります"),
                         count, header.dataLength, resources);
  }
  return resources;
}

bool IsPlaceholder(std::uint64_t size, const RangeReader& read) {
  std::string area(std::min<std::uint64_t>(size, kPlaceholderArea), '\0');
  return read(0, area.data(), area.size()) && area.find(kPlaceholderText) != std::string::npos;
}

}  // namespace

ResourceFork ResourceFork::Open(std::uint64_t size, RangeReader read) {
  const Header header = ReadHeader(size, read);
  std::string map(header.mapLength, '\0');
  if (!read(header.mapOffset, map.data(), map.size()))
    Refuse("リソースマップを読み込めません", header.mapOffset);
  ResourceFork fork;
  fork.resources_ = ReadReferences(ByteReader(map, header.mapOffset), header);
  if (fork.resources_.empty() && IsPlaceholder(size, read))
    Refuse("macOS が置いた空のフォークです", kHeaderSize);
  fork.read_ = std::move(read);
  fork.dataOffset_ = header.dataOffset;
  fork.dataLength_ = header.dataLength;
  return fork;
}

ResourceFork ResourceFork::Parse(std::string bytes) {
  auto shared = std::make_shared<const std::string>(std::move(bytes));
  const std::uint64_t size = shared->size();
  return Open(size, MemoryRange(std::move(shared), 0, size));
}

std::string ResourceFork::GetResource(const std::string& type, std::int32_t id) const {
  for (const Resource& resource : resources_) {
    if (resource.id != id || resource.type != type) continue;
    char word[4];
    if (!read_(dataOffset_ + resource.offset, word, sizeof word)) return std::string();
    const std::uint32_t length = BigEndian(word, sizeof word);
    if (!ByteReader::Fits(dataLength_ - resource.offset - 4, 0, length)) return std::string();
    std::string bytes(length, '\0');  // at most the data's 16 MiB
    if (!read_(dataOffset_ + resource.offset + 4, bytes.data(), bytes.size())) return std::string();
    return bytes;
  }
  return std::string();
}
