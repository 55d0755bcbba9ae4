#pragma once
// Builders of Mac metadata for tests: Finder info, AppleDouble sidecars
// (macOS, Netatalk, version 1), macOS's placeholder fork, the real sidecars in
// tests/data/mac-metadata, and files to put them beside.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/extended_attributes.h"
#include "support/legacy_document.h"
#include "support/temp_folder.h"

namespace test_mac {

inline std::string BE16(std::uint16_t v) {
  return std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}
inline std::string BE32(std::uint32_t v) { return BE16(v >> 16) + BE16(v & 0xFFFF); }

// 32 bytes: type, creator, Finder flags, the rest zero.
inline std::string FinderInfoBytes(const std::string& type, const std::string& creator,
                                   std::uint16_t flags = 0) {
  std::string info = (type + "    ").substr(0, 4) + (creator + "    ").substr(0, 4) + BE16(flags);
  info.resize(32, '\0');
  return info;
}

// An AppleDouble file with the entries in the order given.
inline std::string AppleDoubleBytes(
    const std::vector<std::pair<std::uint32_t, std::string>>& entries,
    const std::string& filler = "Mac OS X", std::uint32_t version = 0x00020000) {
  std::string out = BE32(0x00051607) + BE32(version) +
                    (filler + std::string(16, ' ')).substr(0, 16) +
                    BE16(static_cast<std::uint16_t>(entries.size()));
  std::string body;
  for (const auto& [id, bytes] : entries) {
    out += BE32(id) + BE32(static_cast<std::uint32_t>(26 + 12 * entries.size() + body.size())) +
           BE32(static_cast<std::uint32_t>(bytes.size()));
    body += bytes;
  }
  return out + body;
}

// The 286-byte placeholder fork that macOS writes in ._ files.
inline std::string PlaceholderForkBytes() {
  const std::string header = BE32(0x100) + BE32(0x100) + BE32(0) + BE32(0x1E);
  std::string fork = header + "This resource fork intentionally left blank   ";
  fork.resize(0x100, '\0');
  return fork + header + BE32(0) + BE16(0) + BE16(0) + BE16(0x1C) + BE16(0x1E) + BE16(0xFFFF);
}

// The form macOS writes: Finder info extended with an empty "ATTR" block to
// 3760 bytes, then the resource fork (the placeholder when `fork` is empty).
inline std::string MacOsSidecarBytes(const std::string& finderInfo, const std::string& fork = "") {
  std::string entry9 = finderInfo;
  entry9.resize(34, '\0');
  entry9 += "ATTR";
  entry9.resize(3760, '\0');
  return AppleDoubleBytes({{9, entry9}, {2, fork.empty() ? PlaceholderForkBytes() : fork}});
}

// A 'WPos' 128 resource as the legacy application stores it.
inline std::string WPosFork(const std::string& text = "30\t60\t700\t500") {
  return legacy::WPosFork(text);
}

inline std::filesystem::path FixturePath(const std::string& name) {
  return std::filesystem::path(TAVR_TEST_DATA_DIR) / "mac-metadata" / name;
}
inline std::string Fixture(const std::string& name) { return ReadBytes(FixturePath(name)); }

inline void Touch(const std::filesystem::path& path) { WriteBytes(path, "data"); }

// "._NAME" in `dir`, in the form macOS writes.
inline void Sidecar(const std::filesystem::path& dir, const std::string& name,
                    const std::string& type, const std::string& creator, std::uint16_t flags = 0,
                    const std::string& fork = "") {
  WriteBytes(dir / ("._" + name), MacOsSidecarBytes(FinderInfoBytes(type, creator, flags), fork));
}

// Whether the file system of `dir` takes user.* extended attributes.
inline bool UserXattrsWork(const std::filesystem::path& dir) {
  const std::filesystem::path probe = dir / "xattr-probe";
  WriteBytes(probe, "");
  const bool works = xattrs::Set(probe, "user.tavr.probe", "1");
  std::filesystem::remove(probe);
  return works;
}

}  // namespace test_mac
