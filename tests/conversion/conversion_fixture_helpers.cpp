#include "conversion_fixture_helpers.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "shared/globals.h"
#include "shared/text_enco.h"
#include "support/legacy_document.h"

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "tavr-conversion-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Tests may leave read-only folders behind.
  for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, ignored);
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::string Hex(std::string_view pairs) {
  std::string bytes;
  std::string digits;
  for (char c : pairs) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) continue;
    digits.push_back(c);
    if (digits.size() == 2) {
      bytes.push_back(static_cast<char>(std::stoi(digits, nullptr, 16)));
      digits.clear();
    }
  }
  return bytes;
}

namespace {

std::map<std::string, std::string> ExtendedAttributes(const fs::path& path) {
  std::map<std::string, std::string> result;
  const ssize_t size = llistxattr(path.c_str(), nullptr, 0);
  if (size <= 0) return result;
  std::string names(static_cast<std::size_t>(size), '\0');
  llistxattr(path.c_str(), names.data(), names.size());
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const std::string name = names.c_str() + at;
    const ssize_t length = lgetxattr(path.c_str(), name.c_str(), nullptr, 0);
    std::string value(static_cast<std::size_t>(std::max<ssize_t>(length, 0)), '\0');
    if (length > 0) lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
    result[name] = value;
  }
  return result;
}

}  // namespace

FolderSnapshot Snapshot(const fs::path& folder) {
  FolderSnapshot snapshot;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    struct stat info {};
    lstat(entry.path().c_str(), &info);
    EntryState state;
    state.directory = entry.is_directory();
    if (!state.directory) state.bytes = ReadBytes(entry.path());
    state.mode = info.st_mode;
    if (!state.directory) {
      state.modifiedNs = std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
    }
    state.xattrs = ExtendedAttributes(entry.path());
    snapshot[fs::relative(entry.path(), folder).string()] = state;
  }
  return snapshot;
}

void PrintTo(const EntryState& state, std::ostream* os) {
  *os << (state.directory ? "folder" : "file") << " mode " << std::oct << state.mode << std::dec
      << " mtime " << state.modifiedNs << " " << state.xattrs.size() << " xattrs";
  if (!state.directory) *os << " bytes \"" << state.bytes.substr(0, 80) << "\"";
}

std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool RunningAsRoot() { return geteuid() == 0; }

void ConversionTest::SetUp() {
  savedPref_ = gPref;
  gPref.fill(0);
  gEncInit();
}

void ConversionTest::TearDown() { gPref = savedPref_; }

FolderItem ConversionTest::WriteDocument(const std::string& name, const std::string& dataFork,
                                         const std::optional<std::string>& resourceFork) {
  const fs::path path = scratch.path() / name;
  legacy::WriteDocument(path, dataFork, resourceFork);
  return FolderItem(path);
}

FolderItem ConversionTest::PackageOf(const FolderItem& source) const {
  return source.Parent().Child(source.Name() + ".tvrmd");
}

std::string ConversionTest::PackageFile(const FolderItem& package, const std::string& file) const {
  return ReadBytes(package.Path() / file);
}

std::string ConversionTest::TakeCaution() {
  if (services.cautions.size() != 1) {
    ADD_FAILURE() << services.cautions.size() << " cautions shown, expected one";
    services.cautions.clear();
    return "";
  }
  const CautionDialog dialog = services.cautions.front().dialog;
  services.cautions.clear();
  return dialog.message + "|" + dialog.explanation;
}
