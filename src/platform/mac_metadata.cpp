#include "platform/mac_metadata.h"

#include <algorithm>
#include <memory>

#include "platform/apple_double.h"
#include "platform/byte_reader.h"
#include "platform/extended_attributes.h"
#include "platform/string_helpers.h"

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
  return static_cast<std::uint16_t>(BigEndian(reinterpret_cast<const char*>(bytes_.data()) + 8, 2));
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

// The value `parse` reads, or nullopt when it refuses the bytes: a carrier
// whose bytes do not parse counts as absent.
template <typename Parse>
auto UnlessRefused(Parse parse) -> decltype(parse()) {
  try {
    return parse();
  } catch (const ReadError&) {
    return std::nullopt;
  }
}

std::optional<ResourceFork> OpenFork(std::uint64_t size, RangeReader read) {
  if (size == 0) return std::nullopt;
  return UnlessRefused(
      [&]() -> std::optional<ResourceFork> { return ResourceFork::Open(size, std::move(read)); });
}

// An attribute that may carry a value, and how its bytes hold it.
template <typename Value>
struct AttributeCarrier {
  const char* name;
  bool AttributeNames::*present;
  std::size_t maxSize;
  std::optional<Value> (*decode)(std::string bytes);
};

// The attributes in reading order; the AppleDouble files come after them.
const AttributeCarrier<FinderInfo> kFinderInfoAttributes[] = {
    {kFinderInfoAttribute, &AttributeNames::finderInfo, kMaxInfoAttribute,
     [](std::string bytes) { return FinderInfoFromAttribute(bytes); }},
    {kNetatalkMetadataAttribute, &AttributeNames::netatalkMetadata, kMaxAppleDoubleAttribute,
     [](std::string bytes) { return FinderInfoFromAppleDouble(bytes); }},
    {kAfpInfoAttribute, &AttributeNames::afpInfo, kMaxInfoAttribute,
     [](std::string bytes) { return FinderInfoFromAfpInfo(bytes); }},
};
const AttributeCarrier<ResourceFork> kResourceForkAttributes[] = {
    {kResourceForkAttribute, &AttributeNames::resourceFork, kMaxForkAttribute,
     ResourceForkFromBytes},
    {kNetatalkMetadataAttribute, &AttributeNames::netatalkMetadata, kMaxAppleDoubleAttribute,
     ResourceForkFromAppleDouble},
    {kNetatalkResourceForkAttribute, &AttributeNames::netatalkResourceFork, kMaxForkAttribute,
     ResourceForkFromBytes},
    {kAfpResourceAttribute, &AttributeNames::afpResource, kMaxForkAttribute, ResourceForkFromBytes},
};

// The value of the first carrier that has it: the attributes in table order,
// then the AppleDouble files, nearest first, each read by `fromFile`.
template <typename Value, std::size_t N, typename FromFile>
std::optional<Value> FirstFound(const std::string& item, const Carriers& carriers,
                                const AttributeCarrier<Value> (&attributes)[N], FromFile fromFile) {
  for (const AttributeCarrier<Value>& carrier : attributes) {
    if (!(carriers.attributes.*carrier.present)) continue;
    if (auto bytes = xattrs::Get(item, carrier.name, carrier.maxSize)) {
      if (auto value = carrier.decode(std::move(*bytes))) return value;
    }
  }
  for (const std::string& file : carriers.appleDoubleFiles) {
    if (auto value = UnlessRefused([&] { return fromFile(file); })) return value;
  }
  return std::nullopt;
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
  return UnlessRefused([blob]() -> std::optional<FinderInfo> {
    const auto entry = AppleDouble::Parse(blob).Find(AppleDouble::kFinderInfo);
    if (!entry) return std::nullopt;
    // macOS extends the entry with "ATTR": the first 32 bytes are the info.
    return FinderInfo::FromBytes(blob.substr(entry->offset, entry->length));
  });
}

std::optional<ResourceFork> ResourceForkFromBytes(std::string bytes) {
  const std::uint64_t size = bytes.size();
  return OpenFork(size,
                  MemoryRange(std::make_shared<const std::string>(std::move(bytes)), 0, size));
}

std::optional<ResourceFork> ResourceForkFromAppleDouble(std::string blob) {
  const auto entry =
      UnlessRefused([&blob] { return AppleDouble::Parse(blob).Find(AppleDouble::kResourceFork); });
  if (!entry) return std::nullopt;
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

std::optional<FinderInfo> ReadFinderInfo(const std::string& item, const Carriers& carriers) {
  return FirstFound(item, carriers, kFinderInfoAttributes,
                    [](const std::string& file) -> std::optional<FinderInfo> {
                      auto bytes =
                          AppleDouble::ReadEntry(file, AppleDouble::kFinderInfo, FinderInfo::kSize);
                      return bytes ? FinderInfo::FromBytes(*bytes) : std::nullopt;
                    });
}

std::optional<ResourceFork> ReadResourceFork(const std::string& item, const Carriers& carriers) {
  return FirstFound(item, carriers, kResourceForkAttributes,
                    [](const std::string& file) -> std::optional<ResourceFork> {
                      auto entry = AppleDouble::OpenEntry(file, AppleDouble::kResourceFork);
                      return entry ? OpenFork(entry->length, std::move(entry->read)) : std::nullopt;
                    });
}

namespace {

// The folder inside the __MACOSX folder `mirror` that stands for `between`,
// when each folder on the way is there.
std::optional<std::string> MirrorFolder(std::string mirror, std::string_view between,
                                        const EntryLookup& exists) {
  while (!between.empty()) {
    const std::size_t slash = between.find('/');
    const std::string_view step = between.substr(0, slash);
    if (!exists(mirror, step)) return std::nullopt;
    mirror = JoinPath(mirror, step);
    between = slash == std::string_view::npos ? std::string_view() : between.substr(slash + 1);
  }
  return mirror;
}

}  // namespace

SidecarFolders SidecarFoldersOf(std::string_view folder, const EntryLookup& exists) {
  SidecarFolders around;
  around.appleDouble = exists(folder, kAppleDoubleFolder);
  for (std::string_view above = folder;; above = ParentPath(above)) {
    if (exists(above, kMacosxFolder)) {
      auto mirror = MirrorFolder(JoinPath(above, kMacosxFolder), PathBelow(folder, above), exists);
      if (mirror) around.mirrors.push_back(std::move(*mirror));
    }
    if (above == "/") break;
  }
  return around;
}

Carriers CarrierLocations(std::string_view folder, std::string_view name, bool isFolder,
                          const SidecarFolders& around, const EntryLookup& exists) {
  Carriers carriers;
  if (name.empty()) return carriers;  // the root: no folder around it to hold sidecars
  std::vector<std::string>& files = carriers.appleDoubleFiles;
  std::string sidecar;
  sidecar.reserve(kSidecarPrefix.size() + name.size());
  (sidecar += kSidecarPrefix) += name;
  if (exists(folder, sidecar)) files.push_back(JoinPath(folder, sidecar));
  if (around.appleDouble) {
    const std::string netatalk = JoinPath(folder, kAppleDoubleFolder);
    if (exists(netatalk, name)) files.push_back(JoinPath(netatalk, name));
  }
  if (isFolder) {
    const std::string path = JoinPath(folder, name);
    if (exists(path, kAppleDoubleFolder)) {
      const std::string own = JoinPath(path, kAppleDoubleFolder);
      if (exists(own, kAppleDoubleParent)) files.push_back(JoinPath(own, kAppleDoubleParent));
    }
  }
  for (const std::string& mirror : around.mirrors) {
    if (exists(mirror, sidecar)) files.push_back(JoinPath(mirror, sidecar));
  }
  return carriers;
}

}  // namespace mac_metadata
