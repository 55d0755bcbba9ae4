#include "platform/directory_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unicode/ucasemap.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>

#include "platform/mac_metadata.h"

namespace {

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Well-formed UTF-8 (no overlongs, no surrogates, at most U+10FFFF).
bool IsUtf8(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (n - i < len) return false;
    const unsigned char c1 = static_cast<unsigned char>(s[i + 1]);
    if (c1 < lo || c1 > hi) return false;
    for (std::size_t k = 2; k < len; ++k) {
      const unsigned char ck = static_cast<unsigned char>(s[i + k]);
      if (ck < 0x80 || ck > 0xBF) return false;
    }
    i += len;
  }
  return true;
}

std::string AsciiFold(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

class CaseMap {
 public:
  CaseMap() {
    UErrorCode status = U_ZERO_ERROR;
    map_ = ucasemap_open("", U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) map_ = nullptr;
  }
  ~CaseMap() {
    if (map_) ucasemap_close(map_);
  }
  CaseMap(const CaseMap&) = delete;
  CaseMap& operator=(const CaseMap&) = delete;

  bool Fold(std::string_view s, std::string& out) const {
    if (!map_ || s.size() > INT32_MAX / 4) return false;
    out.assign(s.size() * 3 + 4, '\0');  // folding grows UTF-8 by at most 3x
    UErrorCode status = U_ZERO_ERROR;
    int32_t n = ucasemap_utf8FoldCase(map_, out.data(), static_cast<int32_t>(out.size()), s.data(),
                                      static_cast<int32_t>(s.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR && n > 0) {
      out.assign(static_cast<std::size_t>(n), '\0');
      status = U_ZERO_ERROR;
      n = ucasemap_utf8FoldCase(map_, out.data(), static_cast<int32_t>(out.size()), s.data(),
                                static_cast<int32_t>(s.size()), &status);
    }
    if (U_FAILURE(status) || n < 0) return false;
    out.resize(static_cast<std::size_t>(n));
    return true;
  }

 private:
  UCaseMap* map_ = nullptr;
};

const CaseMap& TheCaseMap() {
  thread_local CaseMap map;
  return map;
}

EntryKind KindOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return EntryKind::Directory;
  if (S_ISREG(mode)) return EntryKind::File;
  if (S_ISLNK(mode)) return EntryKind::Symlink;
  return EntryKind::Other;
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

bool EntryLess(const DirectoryEntry& a, const DirectoryEntry& b) {
  const int byKey = a.key.compare(b.key);
  if (byKey != 0) return byKey < 0;
  return a.name < b.name;
}

}  // namespace

namespace {
std::atomic<int> gOpenDescriptors{0};
}  // namespace

std::shared_ptr<FolderDescriptor> FolderDescriptor::Open(const std::string& path, bool& isFolder) {
  isFolder = true;
  if (gOpenDescriptors.fetch_add(1, std::memory_order_relaxed) >= kMaxOpen) {
    gOpenDescriptors.fetch_sub(1, std::memory_order_relaxed);
    return nullptr;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    gOpenDescriptors.fetch_sub(1, std::memory_order_relaxed);
    isFolder = errno == EMFILE || errno == ENFILE;  // out of descriptors: go by path
    return nullptr;
  }
  return std::shared_ptr<FolderDescriptor>(new FolderDescriptor(fd));
}

FolderDescriptor::~FolderDescriptor() {
  ::close(fd_);
  gOpenDescriptors.fetch_sub(1, std::memory_order_relaxed);
}


std::string MacNameKey(std::string_view name) {
  if (IsAscii(name)) return AsciiFold(name);
  std::string folded;
  if (IsUtf8(name) && TheCaseMap().Fold(name, folded)) return folded;
  return AsciiFold(name);
}

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

std::shared_ptr<const DirectoryListing> DirectoryListing::Read(int dirFd, const std::string& path) {
  const int streamFd = dirFd >= 0 ? ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                  : ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (streamFd < 0) return nullptr;
  auto listing = std::make_shared<DirectoryListing>();
  struct stat st;
  if (::fstat(streamFd, &st) != 0) {
    ::close(streamFd);
    return nullptr;
  }
  listing->stamp_ = StampOfStat(st);
  listing->trusted_ = !StampIsRacy(listing->stamp_);

  DIR* dir = ::fdopendir(streamFd);
  if (!dir) {
    ::close(streamFd);
    return nullptr;
  }
  std::vector<DirectoryEntry> entries;
  bool sidecars = false;
  for (;;) {
    errno = 0;
    struct dirent* d = ::readdir(dir);
    if (!d) break;
    std::string_view name(d->d_name);
    if (name == "." || name == "..") continue;
    if (mac_metadata::IsMetadataName(name)) {
      listing->carriers_.emplace_back(name);
      if (name == mac_metadata::kMacosxFolder)
        listing->hasMacosx_ = true;
      else if (name == mac_metadata::kAppleDoubleFolder)
        listing->hasAppleDouble_ = true;
      else
        sidecars = true;
      continue;
    }
    DirectoryEntry entry;
    entry.name.assign(name);
    switch (d->d_type) {
      case DT_DIR:
        entry.kind = EntryKind::Directory;
        break;
      case DT_REG:
        entry.kind = EntryKind::File;
        break;
      case DT_LNK:
        entry.kind = EntryKind::Symlink;
        break;
      case DT_UNKNOWN: {
        struct stat est;
        if (::fstatat(::dirfd(dir), d->d_name, &est, AT_SYMLINK_NOFOLLOW) == 0) {
          entry.kind = KindOfMode(est.st_mode);
        } else {
          entry.kind = EntryKind::Other;  // vanished meanwhile: listed, examined later
        }
        break;
      }
      default:
        entry.kind = EntryKind::Other;
        break;
    }
    entries.push_back(std::move(entry));
  }
  const bool failed = errno != 0;
  ::closedir(dir);
  if (failed) return nullptr;

  std::sort(listing->carriers_.begin(), listing->carriers_.end());
  std::string sidecar(mac_metadata::kSidecarPrefix);
  for (DirectoryEntry& entry : entries) {
    entry.key = MacNameKey(entry.name);
    if (sidecars) {
      sidecar.resize(mac_metadata::kSidecarPrefix.size());
      sidecar += entry.name;
      entry.hasSidecar =
          std::binary_search(listing->carriers_.begin(), listing->carriers_.end(), sidecar);
    }
  }
  std::sort(entries.begin(), entries.end(), EntryLess);
  listing->items_ = std::move(entries);
  return listing;
}

bool DirectoryListing::Contains(std::string_view name) const {
  if (mac_metadata::IsMetadataName(name)) {
    return std::binary_search(carriers_.begin(), carriers_.end(), name,
                              [](std::string_view a, std::string_view b) { return a < b; });
  }
  DirectoryEntry probe;
  probe.name.assign(name);
  probe.key = MacNameKey(name);
  return std::binary_search(items_.begin(), items_.end(), probe, EntryLess);
}
