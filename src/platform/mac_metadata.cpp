#include "platform/mac_metadata.h"

#include <algorithm>
#include <memory>

#include "platform/apple_double.h"
#include "platform/byte_reader.h"
#include "platform/extended_attributes.h"

std::optional<FinderInfo> FinderInfo::FromBytes(std::string_view bytes) {
  FinderInfo info;
  const std::size_t n = std::min(bytes.size(), kSize);
  for (std::size_t i = 0; i < n; ++i) info.bytes_[i] = static_cast<std::uint8_t>(bytes[i]);
  if (info.IsZero()) return std::nullopt;
  return info;
}

std::string FinderInfo::Type() const {
  return std::string(reinterpret_cast<const char*>(bytes_.data()), 4);
}

std::string FinderInfo::Creator() const {
  return std::string(reinterpret_cast<const char*>(bytes_.data()) + 4, 4);
}

std::uint16_t FinderInfo::Flags() const {
  return static_cast<std::uint16_t>((bytes_[8] << 8) | bytes_[9]);
}

void FinderInfo::SetFlags(std::uint16_t flags) {
  bytes_[8] = static_cast<std::uint8_t>(flags >> 8);
  bytes_[9] = static_cast<std::uint8_t>(flags & 0xFF);
}

bool FinderInfo::IsZero() const {
  return std::all_of(bytes_.begin(), bytes_.end(), [](std::uint8_t b) { return b == 0; });
}

std::string FinderInfo::Bytes() const {
  return std::string(reinterpret_cast<const char*>(bytes_.data()), kSize);
}

namespace mac_metadata {

namespace {

constexpr std::string_view kAfpSignature("AFP\0", 4);
constexpr std::size_t kAfpFinderInfoOffset = 16;
constexpr std::size_t kAfpInfoSize = 60;

// Carriers are read no larger than what they can hold: a fork attribute up to
// the largest fork the format can describe; an AppleDouble attribute up to
// that fork beside the largest entry table (65535 entries of 12 bytes) and
// the small entries. Anything larger counts as absent.
constexpr std::size_t kMaxInfoAttribute = 4096;  // Finder info: 32 bytes; AfpInfo: 60
constexpr std::size_t kMaxForkAttribute = ResourceFork::kMaxSize;
constexpr std::size_t kMaxAppleDoubleAttribute = ResourceFork::kMaxSize + (1u << 20);

std::optional<ResourceFork> OpenFork(std::uint64_t size, RangeReader read) {
  try {
    return ResourceFork::Open(size, std::move(read));
  } catch (const ReadError&) {
    return std::nullopt;  // a fork that does not parse counts as none
  }
}

}  // namespace

bool IsSidecarName(std::string_view name) { return name.substr(0, 2) == kSidecarPrefix; }

bool IsMetadataName(std::string_view name) {
  return IsSidecarName(name) || name == kMacosxFolder || name == kAppleDoubleFolder;
}

std::optional<FinderInfo> FinderInfoFromAttribute(std::string_view bytes) {
  return FinderInfo::FromBytes(bytes);
}

std::optional<FinderInfo> FinderInfoFromAfpInfo(std::string_view bytes) {
  // Samba's streams_xattr may add a trailing zero byte: 60 bytes or more.
  if (bytes.size() < kAfpInfoSize || bytes.substr(0, 4) != kAfpSignature) return std::nullopt;
  return FinderInfo::FromBytes(bytes.substr(kAfpFinderInfoOffset, FinderInfo::kSize));
}

std::optional<FinderInfo> FinderInfoFromAppleDouble(std::string_view blob) {
  auto entry = AppleDouble::EntryBytes(blob, AppleDouble::kFinderInfo);
  if (!entry) return std::nullopt;
  return FinderInfo::FromBytes(*entry);  // macOS extends the entry with "ATTR": first 32 bytes
}

std::optional<ResourceFork> ResourceForkFromBytes(std::string bytes) {
  if (bytes.empty()) return std::nullopt;
  const std::uint64_t size = bytes.size();
  return OpenFork(size, MemoryRange(std::make_shared<const std::string>(std::move(bytes)), 0, size));
}

std::optional<ResourceFork> ResourceForkFromAppleDouble(std::string blob) {
  const auto parsed = AppleDouble::Parse(blob);
  const auto entry = parsed ? parsed->Find(AppleDouble::kResourceFork) : std::nullopt;
  if (!entry || entry->length == 0) return std::nullopt;
  auto shared = std::make_shared<const std::string>(std::move(blob));
  return OpenFork(entry->length, MemoryRange(std::move(shared), entry->offset, entry->length));
}

AttributeNames AttributeNames::From(const std::vector<std::string>& names) {
  AttributeNames found;
  for (const std::string& name : names) {
    if (name == kFinderInfoAttribute)
      found.finderInfo = true;
    else if (name == kResourceForkAttribute)
      found.resourceFork = true;
    else if (name == kNetatalkMetadataAttribute)
      found.netatalkMetadata = true;
    else if (name == kNetatalkResourceForkAttribute)
      found.netatalkResourceFork = true;
    else if (name == kAfpInfoAttribute)
      found.afpInfo = true;
    else if (name == kAfpResourceAttribute)
      found.afpResource = true;
  }
  return found;
}

std::uint8_t AttributeNames::Bits() const {
  return static_cast<std::uint8_t>((finderInfo ? 1 : 0) | (resourceFork ? 2 : 0) |
                                   (netatalkMetadata ? 4 : 0) | (netatalkResourceFork ? 8 : 0) |
                                   (afpInfo ? 16 : 0) | (afpResource ? 32 : 0));
}

AttributeNames AttributeNames::FromBits(std::uint8_t bits) {
  AttributeNames a;
  a.finderInfo = bits & 1;
  a.resourceFork = bits & 2;
  a.netatalkMetadata = bits & 4;
  a.netatalkResourceFork = bits & 8;
  a.afpInfo = bits & 16;
  a.afpResource = bits & 32;
  return a;
}

std::optional<FinderInfo> ReadFinderInfo(const Carriers& carriers) {
  const AttributeNames& a = carriers.attributes;
  if (a.finderInfo) {
    if (auto bytes = xattrs::Get(carriers.item, kFinderInfoAttribute, kMaxInfoAttribute)) {
      if (auto info = FinderInfoFromAttribute(*bytes)) return info;
    }
  }
  if (a.netatalkMetadata) {
    if (auto bytes = xattrs::Get(carriers.item, kNetatalkMetadataAttribute, kMaxAppleDoubleAttribute)) {
      if (auto info = FinderInfoFromAppleDouble(*bytes)) return info;
    }
  }
  if (a.afpInfo) {
    if (auto bytes = xattrs::Get(carriers.item, kAfpInfoAttribute, kMaxInfoAttribute)) {
      if (auto info = FinderInfoFromAfpInfo(*bytes)) return info;
    }
  }
  for (const std::string& file : carriers.appleDoubleFiles) {
    if (auto bytes = AppleDouble::ReadEntry(file, AppleDouble::kFinderInfo, FinderInfo::kSize)) {
      if (auto info = FinderInfo::FromBytes(*bytes)) return info;
    }
  }
  return std::nullopt;
}

std::optional<ResourceFork> ReadResourceFork(const Carriers& carriers) {
  const AttributeNames& a = carriers.attributes;
  if (a.resourceFork) {
    if (auto bytes = xattrs::Get(carriers.item, kResourceForkAttribute, kMaxForkAttribute)) {
      if (auto fork = ResourceForkFromBytes(std::move(*bytes))) return fork;
    }
  }
  if (a.netatalkMetadata) {
    if (auto bytes = xattrs::Get(carriers.item, kNetatalkMetadataAttribute, kMaxAppleDoubleAttribute)) {
      if (auto fork = ResourceForkFromAppleDouble(std::move(*bytes))) return fork;
    }
  }
  if (a.netatalkResourceFork) {
    if (auto bytes = xattrs::Get(carriers.item, kNetatalkResourceForkAttribute, kMaxForkAttribute)) {
      if (auto fork = ResourceForkFromBytes(std::move(*bytes))) return fork;
    }
  }
  if (a.afpResource) {
    if (auto bytes = xattrs::Get(carriers.item, kAfpResourceAttribute, kMaxForkAttribute)) {
      if (auto fork = ResourceForkFromBytes(std::move(*bytes))) return fork;
    }
  }
  for (const std::string& file : carriers.appleDoubleFiles) {
    if (auto entry = AppleDouble::OpenEntry(file, AppleDouble::kResourceFork)) {
      if (entry->length == 0) continue;
      if (auto fork = OpenFork(entry->length, std::move(entry->read))) return fork;
    }
  }
  return std::nullopt;
}

}  // namespace mac_metadata
