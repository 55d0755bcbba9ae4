#pragma once
// Builders of Mac metadata for tests: Finder info, classic resource forks,
// AppleDouble sidecars (macOS, Netatalk, version 1), Samba's AFP_AfpInfo, and
// temporary folder trees to put them in.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_folder.h"

namespace test_mac {

std::string BE16(std::uint16_t v);
std::string BE32(std::uint32_t v);

// 32 bytes: type, creator, Finder flags, the rest zero.
std::string FinderInfoBytes(const std::string& type, const std::string& creator,
                            std::uint16_t flags = 0);

struct Res {
  std::string type;
  std::int16_t id;
  std::string data;
};
// A well-formed classic (big-endian) resource fork holding `resources`,
// grouped by type in order of first appearance; with `littleEndian`, every
// header and map number byte-swapped.
std::string ResourceForkBytes(const std::vector<Res>& resources, bool littleEndian = false);
// The 286-byte placeholder fork that macOS writes in ._ files.
std::string PlaceholderForkBytes();

// An AppleDouble file with the entries in the order given.
std::string AppleDoubleBytes(const std::vector<std::pair<std::uint32_t, std::string>>& entries,
                             const std::string& filler = "Mac OS X        ",
                             std::uint32_t version = 0x00020000);
// The form macOS writes: Finder info extended with an "ATTR" block, then the
// resource fork (the placeholder when `fork` is empty).
std::string MacOsSidecarBytes(const std::string& finderInfo, const std::string& fork = "");
// Samba's AFP_AfpInfo stream: 60 bytes, "AFP\0", Finder info at offset 16.
std::string AfpInfoBytes(const std::string& finderInfo);

// A 'WPos' 128 resource as the legacy application stores it.
std::string WPosFork(const std::string& text = "30\t60\t700\t500");

// The bytes of a file in tests/data/mac-metadata.
std::string Fixture(const std::string& name);
std::filesystem::path FixturePath(const std::string& name);

// A small data file.
void Touch(const std::filesystem::path& path);
// "._NAME" in `dir`, in the form macOS writes (see MacOsSidecarBytes).
void Sidecar(const std::filesystem::path& dir, const std::string& name, const std::string& type,
             const std::string& creator, std::uint16_t flags = 0, const std::string& fork = "");

// Whether the file system of `dir` takes user.* extended attributes.
bool UserXattrsWork(const std::filesystem::path& dir);

}  // namespace test_mac
