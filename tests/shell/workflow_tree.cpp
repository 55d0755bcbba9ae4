#include "workflow_tree.h"

#include <sys/xattr.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "support/legacy_document.h"

namespace workflow {

namespace {

const char* const kMetadataAttribute = "user.org.netatalk.Metadata";
// A folder's Finder info has no codes: its first eight bytes are zero.
const std::string kNoCode(4, '\0');

// Sets the Finder flags of the Finder info that an AppleDouble file carries.
std::string WithFinderFlags(std::string appleDouble, std::uint16_t flags) {
  const auto entries = (static_cast<unsigned char>(appleDouble[24]) << 8) |
                       static_cast<unsigned char>(appleDouble[25]);
  const std::size_t flagsAt = 26 + 12 * static_cast<std::size_t>(entries) + 8;
  appleDouble[flagsAt] = static_cast<char>(flags >> 8);
  appleDouble[flagsAt + 1] = static_cast<char>(flags & 0xFF);
  return appleDouble;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Attributes(const std::filesystem::path& path) {
  std::vector<char> names(4096);
  const ssize_t size = ::llistxattr(path.c_str(), names.data(), names.size());
  std::string out;
  for (ssize_t at = 0; at < size;) {
    const std::string name(names.data() + at);
    std::vector<char> value(65536);
    const ssize_t length = ::lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
    out += name + "=" + std::string(value.data(), length > 0 ? length : 0) + ";";
    at += static_cast<ssize_t>(name.size()) + 1;
  }
  return out;
}

}  // namespace

std::string SmallDocument(bool multi, const std::string& cell) {
  return legacy::Document::WithTable({{0, "A", 0x00FF0000}, {0, "B", 0x000000FF}}, {{cell, "y"}},
                                     multi ? 1 : 0)
      .Bytes();
}

void WriteDocument(const std::filesystem::path& path, const std::string& bytes,
                   const std::string& type, const std::string& creator, std::uint16_t finderFlags) {
  legacy::WriteBytes(path, bytes);
  const std::string sidecar =
      legacy::AppleDoubleBytes(legacy::WPosFork("10\t60\t400\t300"), type, creator);
  legacy::WriteBytes(legacy::SidecarPath(path), WithFinderFlags(sidecar, finderFlags));
}

bool WriteDocumentWithAttribute(const std::filesystem::path& path, const std::string& bytes) {
  legacy::WriteBytes(path, bytes);
  const std::string metadata = legacy::AppleDoubleBytes(std::nullopt);
  return ::setxattr(path.c_str(), kMetadataAttribute, metadata.data(), metadata.size(), 0) == 0;
}

void MakeInvisibleFolder(const std::filesystem::path& path) {
  std::filesystem::create_directory(path);
  legacy::WriteBytes(legacy::SidecarPath(path),
                     WithFinderFlags(legacy::AppleDoubleBytes(std::nullopt, kNoCode, kNoCode), 0x4000));
}

std::map<std::string, std::string> Snapshot(const std::filesystem::path& root) {
  std::map<std::string, std::string> files;
  auto walk = std::filesystem::recursive_directory_iterator(root);
  for (auto entry = begin(walk); entry != end(walk); ++entry) {
    if (entry->path().extension() == ".tvrmd") {
      entry.disable_recursion_pending();
      continue;
    }
    if (entry->is_symlink()) {
      files[entry->path().string()] = "-> " + std::filesystem::read_symlink(entry->path()).string();
    } else if (entry->is_regular_file()) {
      files[entry->path().string()] = ReadAll(entry->path()) + "|" + Attributes(entry->path());
    }
  }
  return files;
}

std::map<std::string, std::string> PackageFiles(const std::filesystem::path& package) {
  std::map<std::string, std::string> files;
  if (!std::filesystem::is_directory(package)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(package)) {
    files[entry.path().filename().string()] = ReadAll(entry.path());
  }
  return files;
}

}  // namespace workflow
