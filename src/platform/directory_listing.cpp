#include "platform/directory_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unicode/ucasemap.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/mac_metadata.h"
#include "platform/utf8.h"

namespace {

// Appends `s` with A-Z folded to a-z.
void AppendAsciiFold(std::string_view s, std::string& out) {
  for (const char c : s) out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// ICU's case folding of well-formed UTF-8, appended; false when ICU cannot do
// it.
bool AppendUtf8Fold(std::string_view s, std::string& out) {
  static UCaseMap* const map = [] {
    UErrorCode status = U_ZERO_ERROR;
    UCaseMap* opened = ucasemap_open("", U_FOLD_CASE_DEFAULT, &status);
    return U_FAILURE(status) ? nullptr : opened;  // kept for the life of the process
  }();
  if (!map || s.size() > INT32_MAX / 4) return false;
  const std::size_t start = out.size();
  out.resize(start + s.size() * 3 + 4);  // folding grows UTF-8 by at most 3x
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n =
      ucasemap_utf8FoldCase(map, out.data() + start, static_cast<int32_t>(out.size() - start),
                            s.data(), static_cast<int32_t>(s.size()), &status);
  const bool folded = U_SUCCESS(status) && n >= 0;
  out.resize(folded ? start + static_cast<std::size_t>(n) : start);
  return folded;
}

// Appends the key that orders `name` (case-folded, so that "a" and "A"
// compare equal) and answers its size; appends nothing and answers 0 when
// the name is its own key, as names without capitals are.
std::size_t AppendMacNameKey(std::string_view name, std::string& out) {
  unsigned char bits = 0;
  bool capitals = false;
  for (const char c : name) {
    bits |= static_cast<unsigned char>(c);
    capitals |= c >= 'A' && c <= 'Z';
  }
  const bool ascii = bits < 0x80;
  if (ascii && !capitals) return 0;
  const std::size_t start = out.size();
  if (ascii || !IsValidUtf8(name) || !AppendUtf8Fold(name, out)) AppendAsciiFold(name, out);
  return out.size() - start;
}

FolderStamp StampOfStat(const struct stat& st) {
  FolderStamp stamp;
  stamp.device = static_cast<std::uint64_t>(st.st_dev);
  stamp.inode = static_cast<std::uint64_t>(st.st_ino);
#if defined(__APPLE__)
  stamp.mtimeSec = st.st_mtimespec.tv_sec;
  stamp.mtimeNsec = st.st_mtimespec.tv_nsec;
  stamp.ctimeSec = st.st_ctimespec.tv_sec;
  stamp.ctimeNsec = st.st_ctimespec.tv_nsec;
#else
  stamp.mtimeSec = st.st_mtim.tv_sec;
  stamp.mtimeNsec = st.st_mtim.tv_nsec;
  stamp.ctimeSec = st.st_ctim.tv_sec;
  stamp.ctimeNsec = st.st_ctim.tv_nsec;
#endif
  return stamp;
}

// True when a listing read while the folder's stamp was `stamp` may miss
// changes made afterwards without the stamp changing.
bool StampIsRacy(const FolderStamp& stamp) {
  struct timespec now;
  if (::clock_gettime(CLOCK_REALTIME, &now) != 0) return true;
  // File systems stamp times from a clock that lags by up to one tick (at
  // most 10 ms on Linux); those that keep whole seconds (FAT keeps two) show
  // no nanoseconds at all.
  const bool coarse = stamp.mtimeNsec == 0 && stamp.ctimeNsec == 0;
  const std::int64_t slackNs = coarse ? 2'000'000'000LL : 20'000'000LL;
  const auto ns = [](std::int64_t sec, std::int64_t nsec) { return sec * 1'000'000'000LL + nsec; };
  const std::int64_t latest =
      std::max(ns(stamp.mtimeSec, stamp.mtimeNsec), ns(stamp.ctimeSec, stamp.ctimeNsec));
  return latest + slackNs >= ns(now.tv_sec, now.tv_nsec);
}

bool IsDirectoryEntry(DIR* dir, const struct dirent* d) {
  if (d->d_type != DT_UNKNOWN) return d->d_type == DT_DIR;
  // The file system does not say: ask (an entry that vanished meanwhile is a
  // file here and is examined again when it is used).
  struct stat st;
  return ::fstatat(::dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

bool EntryLess(const DirectoryEntry& a, const DirectoryEntry& b) {
  const int byKey = a.key.compare(b.key);
  if (byKey != 0) return byKey < 0;
  return a.name < b.name;
}

}  // namespace

bool StampOf(int dirFd, FolderStamp& stamp) {
  struct stat st;
  if (::fstat(dirFd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_nlink == 0) return false;
  stamp = StampOfStat(st);
  return true;
}

bool StampOf(const std::string& path, FolderStamp& stamp) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  stamp = StampOfStat(st);
  return true;
}

std::unique_ptr<const DirectoryListing> DirectoryListing::Read(DIR* held, const std::string& path) {
  DIR* const dir = held ? held : ::opendir(path.c_str());
  if (!dir) return nullptr;
  auto listing = std::make_unique<DirectoryListing>();
  std::vector<Pending> items;
  struct stat st;
  bool failed = ::fstat(::dirfd(dir), &st) != 0;
  if (!failed) {
    listing->stamp_ = StampOfStat(st);
    listing->trusted_ = !StampIsRacy(listing->stamp_);
    failed = !listing->ReadEntries(dir, items);
  }
  if (!held) ::closedir(dir);
  if (failed) return nullptr;
  std::sort(listing->carriers_.begin(), listing->carriers_.end());
  listing->SortItems(items);
  return listing;
}

bool DirectoryListing::ReadEntries(DIR* dir, std::vector<Pending>& items) {
  for (;;) {
    errno = 0;
    const struct dirent* d = ::readdir(dir);
    if (!d) return errno == 0;
    const std::string_view name(d->d_name);
    if (name == "." || name == "..") continue;
    if (mac_metadata::IsMetadataName(name)) {
      carriers_.emplace_back(name);
      continue;
    }
    text_ += name;
    items.push_back({name.size(), AppendMacNameKey(name, text_), IsDirectoryEntry(dir, d)});
  }
}

void DirectoryListing::SortItems(const std::vector<Pending>& items) {
  items_.reserve(items.size());
  const char* at = text_.data();
  for (const Pending& item : items) {
    const std::string_view name(at, item.nameSize);
    const std::string_view key =
        item.keySize == 0 ? name : std::string_view(at + item.nameSize, item.keySize);
    items_.push_back({name, key, item.directory});
    at += item.nameSize + item.keySize;
  }
  std::sort(items_.begin(), items_.end(), EntryLess);
}

bool DirectoryListing::Contains(std::string_view name) const {
  if (mac_metadata::IsMetadataName(name)) {
    return std::binary_search(carriers_.begin(), carriers_.end(), name,
                              [](std::string_view a, std::string_view b) { return a < b; });
  }
  std::string folded;
  const std::string_view key =
      AppendMacNameKey(name, folded) == 0 ? name : std::string_view(folded);
  return std::binary_search(items_.begin(), items_.end(), DirectoryEntry{name, key, false},
                            EntryLess);
}
