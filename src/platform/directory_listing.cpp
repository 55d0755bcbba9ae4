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

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string AsciiFold(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// ICU's case folding of well-formed UTF-8; false when ICU cannot do it.
bool Utf8Fold(std::string_view s, std::string& out) {
  static UCaseMap* const map = [] {
    UErrorCode status = U_ZERO_ERROR;
    UCaseMap* opened = ucasemap_open("", U_FOLD_CASE_DEFAULT, &status);
    return U_FAILURE(status) ? nullptr : opened;  // kept for the life of the process
  }();
  if (!map || s.size() > INT32_MAX / 4) return false;
  out.assign(s.size() * 3 + 4, '\0');  // folding grows UTF-8 by at most 3x
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucasemap_utf8FoldCase(map, out.data(), static_cast<int32_t>(out.size()),
                                          s.data(), static_cast<int32_t>(s.size()), &status);
  if (U_FAILURE(status) || n < 0) return false;
  out.resize(static_cast<std::size_t>(n));
  return true;
}

// The key that orders names: case-folded, so that "a" and "A" compare equal.
std::string MacNameKey(std::string_view name) {
  if (IsAscii(name)) return AsciiFold(name);
  std::string folded;
  if (IsValidUtf8(name) && Utf8Fold(name, folded)) return folded;
  return AsciiFold(name);
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

std::unique_ptr<const DirectoryListing> DirectoryListing::Read(int dirFd, const std::string& path) {
  // A descriptor of its own: reading moves the descriptor's position.
  const int streamFd = dirFd >= 0 ? ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                  : ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (streamFd < 0) return nullptr;
  auto listing = std::make_unique<DirectoryListing>();
  struct stat st;
  DIR* dir = ::fstat(streamFd, &st) == 0 ? ::fdopendir(streamFd) : nullptr;
  if (!dir) {
    ::close(streamFd);
    return nullptr;
  }
  listing->stamp_ = StampOfStat(st);
  listing->trusted_ = !StampIsRacy(listing->stamp_);

  for (;;) {
    errno = 0;
    const struct dirent* d = ::readdir(dir);
    if (!d) break;
    const std::string_view name(d->d_name);
    if (name == "." || name == "..") continue;
    if (mac_metadata::IsMetadataName(name)) {
      listing->carriers_.emplace_back(name);
      continue;
    }
    listing->items_.push_back({std::string(name), MacNameKey(name), IsDirectoryEntry(dir, d)});
  }
  const bool failed = errno != 0;
  ::closedir(dir);
  if (failed) return nullptr;
  std::sort(listing->carriers_.begin(), listing->carriers_.end());
  std::sort(listing->items_.begin(), listing->items_.end(), EntryLess);
  return listing;
}

bool DirectoryListing::Contains(std::string_view name) const {
  if (mac_metadata::IsMetadataName(name)) {
    return std::binary_search(carriers_.begin(), carriers_.end(), name,
                              [](std::string_view a, std::string_view b) { return a < b; });
  }
  const DirectoryEntry probe{std::string(name), MacNameKey(name), false};
  return std::binary_search(items_.begin(), items_.end(), probe, EntryLess);
}
