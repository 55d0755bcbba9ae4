#pragma once
// Scratch folders, whole-file reads and writes, and snapshots of a folder
// tree, for tests, the bench and the fuzz targets.

#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes, also where a test took permissions away.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavr-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
  }
  ~TempFolder() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(
             path_, fs::directory_options::skip_permission_denied, ignored);
         !ignored && it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
      }
    }
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Everything below `root`, hidden entries included, by path relative to it:
// a folder as "/", a link as "-> TARGET", a file as its bytes followed by its
// extended attributes (a file over 1 MiB, sparse say, as its size). Folders
// whose names end in ".tvrmd" (packages) are left out unless `packages`.
using Snapshot = std::map<std::string, std::string>;
inline Snapshot TakeSnapshot(const std::filesystem::path& root, bool packages = true) {
  namespace fs = std::filesystem;
  Snapshot snapshot;
  auto walk = fs::recursive_directory_iterator(root);
  for (auto entry = begin(walk); entry != end(walk); ++entry) {
    const std::string path = entry->path().string();
    const std::string name = entry->path().lexically_relative(root).string();
    if (!packages && entry->path().extension() == ".tvrmd") {
      entry.disable_recursion_pending();
    } else if (entry->is_symlink()) {
      snapshot[name] = "-> " + fs::read_symlink(path).string();
    } else if (entry->is_directory()) {
      snapshot[name] = "/";
    } else if (entry->file_size() > (1u << 20)) {
      snapshot[name] = std::to_string(entry->file_size()) + " bytes";
    } else {
      std::string& shown = snapshot[name] = ReadBytes(path) + "|";
      std::vector<char> names(4096), value(65536);
      const ssize_t size = ::llistxattr(path.c_str(), names.data(), names.size());
      for (const char* n = names.data(); n < names.data() + size; n += std::string(n).size() + 1) {
        const ssize_t length = ::lgetxattr(path.c_str(), n, value.data(), value.size());
        shown += std::string(n) + "=" + std::string(value.data(), std::max<ssize_t>(length, 0));
      }
    }
  }
  return snapshot;
}
