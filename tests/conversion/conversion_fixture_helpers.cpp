#include "conversion_fixture_helpers.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "shared/globals.h"
#include "shared/text_enco.h"
#include "support/legacy_document.h"

namespace fs = std::filesystem;

std::string Hex(std::string_view pairs) {
  std::string bytes, digits;
  for (char c : pairs) {
    if (std::isxdigit(static_cast<unsigned char>(c))) digits.push_back(c);
    if (digits.size() == 2) bytes.push_back(static_cast<char>(std::stoi(digits, nullptr, 16)));
    if (digits.size() == 2) digits.clear();
  }
  return bytes;
}

namespace {

std::map<std::string, std::string> ExtendedAttributes(const fs::path& path) {
  std::map<std::string, std::string> result;
  std::string names(
      static_cast<std::size_t>(std::max<ssize_t>(llistxattr(path.c_str(), nullptr, 0), 0)), '\0');
  llistxattr(path.c_str(), names.data(), names.size());
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const std::string name = names.c_str() + at;
    std::string value(static_cast<std::size_t>(
                          std::max<ssize_t>(lgetxattr(path.c_str(), name.c_str(), nullptr, 0), 0)),
                      '\0');
    lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
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
    EntryState& state = snapshot[fs::relative(entry.path(), folder).string()];
    state.directory = entry.is_directory();
    state.mode = info.st_mode;
    state.xattrs = ExtendedAttributes(entry.path());
    if (state.directory) continue;
    state.bytes = ReadBytes(entry.path());
    state.modifiedNs = std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
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

std::string ValueLineAfter(const std::string& plist, const std::string& key, int nth) {
  std::istringstream lines(plist);
  for (std::string line; std::getline(lines, line);) {
    if (line == "<key>" + key + "</key>" && nth-- == 0)
      return std::getline(lines, line) ? line : "";
  }
  return "";
}

const std::string kPlistHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n<dict>\n";
const std::string kPlistTail = "</dict>\n</plist>\n";

namespace {

// "<key>KEY</key>\n<TAG>VALUE</TAG>\n" for each "TAG KEY" pair of `keys`.
std::string Entries(const std::string& keys, const std::vector<std::string>& values) {
  std::istringstream pairs(keys);
  std::string text, tag, key;
  for (const std::string& value : values) {
    pairs >> tag >> key;
    text += "<key>" + key + "</key>\n<" + tag + ">" + value + "</" + tag + ">\n";
  }
  return text;
}

}  // namespace

std::string PrefPlist(const std::array<std::string, 17>& values) {
  return kPlistHead +
         Entries(
             "real bgClrBlue integer bgClrCng real bgClrGreen integer bgClrOdd real bgClrRed "
             "string cellFontName integer cellFontSize integer cellLineH integer cellLineV "
             "integer headerKind real hiClrBlue integer hiClrCng real hiClrGreen "
             "real hiClrRed integer rowKind integer scrollKind integer winGeo",
             {values.begin(), values.end()}) +
         kPlistTail;
}

std::string ColumnDict(int index, const std::string& name, const std::string& numbers) {
  std::istringstream in(numbers);
  std::vector<std::string> values(12);
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11}) in >> values[i];
  values[8] = name;
  return "<key>" + std::to_string(index) + "</key>\n<dict>\n" +
         Entries(
             "integer columnAlign integer columnAuto integer columnBold real columnColorBlue "
             "real columnColorGreen real columnColorRed integer columnItalic "
             "integer columnKind string columnName integer columnNumb integer columnUline "
             "real columnWidth",
             values) +
         "</dict>\n";
}

std::string WindowPlist(const std::string& height, const std::string& x, const std::string& y,
                        const std::string& width) {
  return kPlistHead +
         Entries(
             "real scrollH real scrollV real scrollX real scrollY integer toolbar "
             "real winHeight real winPosX real winPosY real winWidth",
             {"0", "0", "0", "0", "1", height, x, y, width}) +
         kPlistTail;
}

void ConversionTest::SetUp() {
  savedPref_ = gPref;
  gPref.fill(0);
  gEncInit();
}

void ConversionTest::TearDown() { gPref = savedPref_; }

FolderItem ConversionTest::WriteDocument(const std::string& name, const std::string& dataFork,
                                         const std::optional<std::string>& resourceFork) {
  legacy::WriteDocument(scratch.path() / name, dataFork, resourceFork);
  return FolderItem(scratch.path() / name);
}

FolderItem ConversionTest::PackageOf(const FolderItem& source) {
  return source.Parent().Child(source.Name() + ".tvrmd");
}

std::string ConversionTest::PackageFile(const FolderItem& package, const std::string& file) {
  return ReadBytes(package.Path() / file);
}

std::string ConversionTest::TakeCaution() {
  EXPECT_EQ(services.cautions.size(), 1u) << "cautions shown";
  const std::string shown =
      services.cautions.size() == 1
          ? services.cautions[0].dialog.message + "|" + services.cautions[0].dialog.explanation
          : "";
  services.cautions.clear();
  return shown;
}
