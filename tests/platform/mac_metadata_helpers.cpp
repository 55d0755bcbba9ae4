#include "platform/mac_metadata_helpers.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/extended_attributes.h"

namespace test_mac {

std::string BE16(std::uint16_t v) {
  return std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}

std::string BE32(std::uint32_t v) {
  return std::string{static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF),
                     static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
}

namespace {

std::string BE24(std::uint32_t v) { return BE32(v).substr(1); }

std::string Swap(std::string be) { return std::string(be.rbegin(), be.rend()); }

}  // namespace

std::string ResourceForkBytes(const std::vector<Res>& resources, bool littleEndian) {
  auto n16 = [&](std::uint16_t v) { return littleEndian ? Swap(BE16(v)) : BE16(v); };
  auto n32 = [&](std::uint32_t v) { return littleEndian ? Swap(BE32(v)) : BE32(v); };
  auto n24 = [&](std::uint32_t v) { return littleEndian ? Swap(BE24(v)) : BE24(v); };

  // Group by type, keeping the order of first appearance.
  std::vector<std::string> types;
  std::map<std::string, std::vector<const Res*>> byType;
  for (const Res& r : resources) {
    if (!byType.count(r.type)) types.push_back(r.type);
    byType[r.type].push_back(&r);
  }
  std::string data;
  std::map<const Res*, std::uint32_t> dataOffset;
  for (const std::string& t : types) {
    for (const Res* r : byType[t]) {
      dataOffset[r] = static_cast<std::uint32_t>(data.size());
      data += n32(static_cast<std::uint32_t>(r->data.size())) + r->data;
    }
  }
  // Type list: count - 1, entries, then the reference lists.
  std::string typeList = n16(static_cast<std::uint16_t>(types.size() - 1));
  std::string refLists;
  const std::uint32_t refStart = 2 + 8 * static_cast<std::uint32_t>(types.size());
  for (const std::string& t : types) {
    typeList += t + n16(static_cast<std::uint16_t>(byType[t].size() - 1)) +
                n16(static_cast<std::uint16_t>(refStart + refLists.size()));
    for (const Res* r : byType[t]) {
      refLists += n16(static_cast<std::uint16_t>(r->id)) + n16(0xFFFF) + std::string(1, '\0') +
                  n24(dataOffset[r]) + n32(0);
    }
  }
  const std::uint32_t dataOff = 256;
  const std::uint32_t mapOff = dataOff + static_cast<std::uint32_t>(data.size());
  std::string map = std::string(16, '\0') + n32(0) + n16(0) + n16(0) + n16(28);
  const std::string typeAndRefs = typeList + refLists;
  map += n16(static_cast<std::uint16_t>(28 + typeAndRefs.size()));  // name list: empty
  map += typeAndRefs;
  std::string header = n32(dataOff) + n32(mapOff) + n32(static_cast<std::uint32_t>(data.size())) +
                       n32(static_cast<std::uint32_t>(map.size()));
  header.resize(dataOff, '\0');
  return header + data + map;
}

std::string FinderInfoBytes(const std::string& type, const std::string& creator,
                            std::uint16_t flags) {
  std::string info = type.substr(0, 4);
  info.resize(4, ' ');
  std::string c = creator.substr(0, 4);
  c.resize(4, ' ');
  info += c + BE16(flags);
  info.resize(32, '\0');
  return info;
}


std::string PlaceholderForkBytes() {
  std::string fork = BE32(0x100) + BE32(0x100) + BE32(0) + BE32(0x1E);
  fork += "This resource fork intentionally left blank   ";
  fork.resize(0x100, '\0');
  fork += BE32(0x100) + BE32(0x100) + BE32(0) + BE32(0x1E);  // map: copy of the header
  fork += BE32(0) + BE16(0) + BE16(0) + BE16(0x1C) + BE16(0x1E) + BE16(0xFFFF);
  return fork;  // 286 bytes
}

std::string AppleDoubleBytes(const std::vector<std::pair<std::uint32_t, std::string>>& entries,
                             const std::string& filler, std::uint32_t version) {
  std::string f = filler;
  f.resize(16, ' ');
  std::string out =
      BE32(0x00051607) + BE32(version) + f + BE16(static_cast<std::uint16_t>(entries.size()));
  std::uint32_t offset = 26 + 12 * static_cast<std::uint32_t>(entries.size());
  std::string body;
  for (const auto& [id, bytes] : entries) {
    out += BE32(id) + BE32(offset + static_cast<std::uint32_t>(body.size())) +
           BE32(static_cast<std::uint32_t>(bytes.size()));
    body += bytes;
  }
  return out + body;
}

std::string MacOsSidecarBytes(const std::string& finderInfo, const std::string& fork) {
  // Entry 9: 32 bytes of Finder info, 2 bytes of padding, then an extended
  // attribute header ("ATTR") with no attributes.
  std::string entry9 = finderInfo;
  entry9.resize(32, '\0');
  entry9 += std::string(2, '\0');
  entry9 += "ATTR" + BE32(0) + BE32(0) + BE32(0) + BE32(0) + BE32(0) + BE16(0) + BE16(0);
  entry9.resize(3760, '\0');  // the size macOS gives it
  const std::string f = fork.empty() ? PlaceholderForkBytes() : fork;
  return AppleDoubleBytes({{9, entry9}, {2, f}});
}

std::string AfpInfoBytes(const std::string& finderInfo) {
  std::string out("AFP\0", 4);
  out += BE32(0x00010000) + BE32(0) + BE32(0x80000000);
  std::string fi = finderInfo;
  fi.resize(32, '\0');
  out += fi;
  out.resize(60, '\0');
  return out;
}

std::string WPosFork(const std::string& text) { return ResourceForkBytes({{"WPos", 128, text}}); }

std::filesystem::path FixturePath(const std::string& name) {
  return std::filesystem::path(TAVR_TEST_DATA_DIR) / "mac-metadata" / name;
}

std::string Fixture(const std::string& name) { return ReadBytes(FixturePath(name)); }

void Touch(const std::filesystem::path& path) { WriteBytes(path, "data"); }

void Sidecar(const std::filesystem::path& dir, const std::string& name, const std::string& type,
             const std::string& creator, std::uint16_t flags, const std::string& fork) {
  WriteBytes(dir / ("._" + name), MacOsSidecarBytes(FinderInfoBytes(type, creator, flags), fork));
}

bool UserXattrsWork(const std::filesystem::path& dir) {
  const std::filesystem::path probe = dir / "xattr-probe";
  WriteBytes(probe, "");
  const bool works = xattrs::UserAttributesSupported(probe);
  std::filesystem::remove(probe);
  return works;
}

}  // namespace test_mac
