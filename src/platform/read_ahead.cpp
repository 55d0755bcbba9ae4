#include "platform/read_ahead.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <thread>

#include "platform/extended_attributes.h"

namespace {

// Folders with fewer items than this are not worth waking a helper for.
constexpr std::size_t kMinimumItems = 8;
constexpr unsigned kMaximumHelpers = 3;
// A scan opens a folder every fraction of a millisecond: helpers that have
// just run out of work watch for more for this long before they sleep, so
// that they are already running when the next folder comes.
constexpr auto kWatch = std::chrono::microseconds(100);

std::string Join(const std::string& folder, const std::string& name) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

// The helper threads. They live as long as the process (the pool is never
// destroyed, so no exit path waits for them) and sleep while there is
// nothing to do. Jobs are held weakly: a read-ahead nobody holds any more
// is dropped. The job last focused comes first.
class Pool {
 public:
  explicit Pool(unsigned helpers) {
    for (unsigned i = 0; i < helpers; ++i) std::thread([this] { Run(); }).detach();
  }

  // `focus`: on top; otherwise just below the top (a read-ahead of the
  // folder being worked in comes after that folder's own work).
  void Push(const std::shared_ptr<ReadAhead>& job, bool focus) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (focus || jobs_.empty()) {
        jobs_.push_back(job);
      } else {
        jobs_.insert(jobs_.end() - 1, job);
      }
    }
    Poke();
  }

  void Focus(const std::shared_ptr<ReadAhead>& job) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = std::find_if(jobs_.begin(), jobs_.end(),
                             [&](const std::weak_ptr<ReadAhead>& w) { return w.lock() == job; });
      if (it != jobs_.end()) jobs_.erase(it);
      jobs_.push_back(job);
    }
    Poke();
  }

  // Something may have become possible: helpers look again.
  void Poke() {
    bool wake;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      generation_.fetch_add(1, std::memory_order_release);
      wake = sleepers_ > 0;
    }
    if (wake) wake_.notify_all();
  }

 private:
  // The topmost job but `skip` that is still wanted, dropping the finished
  // and the forgotten.
  std::shared_ptr<ReadAhead> Pick(std::size_t skip) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t skipped = 0;
    for (std::size_t k = jobs_.size(); k-- > 0;) {
      std::shared_ptr<ReadAhead> job = jobs_[k].lock();
      if (!job || job->Cancelled() || job->Finished()) {
        jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(k));
        continue;
      }
      if (skipped++ < skip) continue;
      return job;
    }
    return nullptr;
  }

  void Run() {
    ReadAhead::Helper helper;
    for (;;) {
      const std::uint64_t generation = generation_.load(std::memory_order_acquire);
      bool worked = false;
      // The first job from the top that has something to do now.
      for (std::size_t skip = 0;; ++skip) {
        std::shared_ptr<ReadAhead> job = Pick(skip);
        if (!job) break;
        while (job->WorkOne(helper)) {
          worked = true;
          if (generation_.load(std::memory_order_relaxed) != generation)
            break;  // look at the top again
        }
        if (worked) break;
      }
      if (!worked) Idle(generation);
    }
  }

  void Idle(std::uint64_t seen) {
    const auto until = std::chrono::steady_clock::now() + kWatch;
    for (unsigned spin = 0;; ++spin) {
      if (generation_.load(std::memory_order_acquire) != seen) return;
      if ((spin & 15) == 15) {
        if (std::chrono::steady_clock::now() >= until) break;
        std::this_thread::yield();
      }
    }
    std::unique_lock<std::mutex> lock(mutex_);
    ++sleepers_;
    wake_.wait(lock, [&] { return generation_.load(std::memory_order_relaxed) != seen; });
    --sleepers_;
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<std::weak_ptr<ReadAhead>> jobs_;
  std::atomic<std::uint64_t> generation_{0};
  int sleepers_ = 0;  // guarded by mutex_
};

Pool* ThePool() {
  static Pool* pool = ReadAhead::HelperCount() > 0 ? new Pool(ReadAhead::HelperCount()) : nullptr;
  return pool;
}

std::uint64_t NextId() {
  static std::atomic<std::uint64_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

unsigned ReadAhead::HelperCount() {
  static const unsigned count = [] {
    unsigned cores = std::thread::hardware_concurrency();
#if defined(__linux__)
    cpu_set_t set;  // the processors this process may run on
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
      cores = static_cast<unsigned>(CPU_COUNT(&set));
#endif
    if (cores <= 1) return 0u;
    return std::min(cores - 1, kMaximumHelpers);
  }();
  return count;
}

std::shared_ptr<ReadAhead> ReadAhead::Make(std::shared_ptr<FolderDescriptor> dir,
                                           const std::string& path,
                                           std::shared_ptr<const DirectoryListing> listing,
                                           bool attributesWanted) {
  if (!dir || !listing || listing->Items().size() < kMinimumItems || !ThePool()) return nullptr;
  return std::shared_ptr<ReadAhead>(
      new ReadAhead(std::move(dir), path, std::move(listing), attributesWanted));
}

std::shared_ptr<ReadAhead> ReadAhead::Start(std::shared_ptr<FolderDescriptor> dir,
                                            const std::string& path,
                                            std::shared_ptr<const DirectoryListing> listing,
                                            bool attributesWanted) {
  std::shared_ptr<ReadAhead> job = Make(std::move(dir), path, std::move(listing), attributesWanted);
  if (job) ThePool()->Push(job, /*focus=*/true);
  return job;
}

ReadAhead::ReadAhead(std::shared_ptr<FolderDescriptor> dir, std::string path,
                     std::shared_ptr<const DirectoryListing> listing, bool attributesWanted)
    : id_(NextId()),
      dir_(std::move(dir)),
      path_(std::move(path)),
      listing_(std::move(listing)),
      count_(listing_->Items().size()),
      attributes_(new std::atomic<std::uint16_t>[count_]),
      attributesLeft_(count_),
      attributesWanted_(attributesWanted) {
  for (std::size_t i = 0; i < count_; ++i) {
    attributes_[i].store(0, std::memory_order_relaxed);
    if (listing_->Items()[i].kind == EntryKind::Directory) folderIndex_.push_back(i);
  }
  folderState_.reset(new std::atomic<std::uint8_t>[folderIndex_.size()]);
  for (std::size_t k = 0; k < folderIndex_.size(); ++k)
    folderState_[k].store(kOpen, std::memory_order_relaxed);
  folderResult_.resize(folderIndex_.size());
}

void ReadAhead::Cancel() { cancelled_.store(true, std::memory_order_relaxed); }

void ReadAhead::Focus() {
  if (Pool* pool = ThePool()) pool->Focus(shared_from_this());
}

bool ReadAhead::Finished() const {
  return attributesLeft_.load(std::memory_order_relaxed) == 0 &&
         nextFolder_.load(std::memory_order_relaxed) >= folderIndex_.size();
}

ReadAhead::Helper::~Helper() {
  if (fd >= 0) ::close(fd);
}

std::uint8_t ReadAhead::ListAttributes(std::size_t i, int fd) const {
  const std::vector<std::string> names = xattrs::ListAt(fd, path_, listing_->Items()[i].name);
  return names.empty() ? 0 : mac_metadata::AttributeNames::From(names).Bits();
}

int ReadAhead::DescriptorFor(Helper& helper) const {
  if (helper.job != id_) {
    if (helper.fd >= 0) ::close(helper.fd);
    helper.fd = ::openat(dir_->get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    helper.job = id_;
  }
  return helper.fd >= 0 ? helper.fd : dir_->get();
}

bool ReadAhead::WorkOne(Helper& helper) {
  if (Cancelled()) return false;
  // The attributes first, the scan needs them for every item; from the last
  // item backwards, while the scan goes forwards listing what it reaches
  // first itself: the two meet somewhere in the middle instead of queueing
  // for the same items.
  std::size_t left = attributesWanted_.load(std::memory_order_relaxed)
                         ? attributesLeft_.load(std::memory_order_relaxed)
                         : 0;
  while (left > 0) {
    if (!attributesLeft_.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) continue;
    const std::size_t i = left - 1;
    std::uint16_t expected = 0;
    if (attributes_[i].compare_exchange_strong(expected, 1, std::memory_order_acquire)) {
      attributes_[i].store(
          static_cast<std::uint16_t>(kDone | ListAttributes(i, DescriptorFor(helper))),
          std::memory_order_release);
      return true;
    }
    // The scan got there first: it has passed the helpers, nothing left.
    attributesLeft_.store(0, std::memory_order_relaxed);
    break;
  }
  return ReadSubfolder();
}

bool ReadAhead::ReadSubfolder() {
  // Reserve a place in the window first.
  std::size_t waiting = foldersWaiting_.load(std::memory_order_relaxed);
  do {
    if (waiting >= kSubfoldersAhead) return false;
  } while (!foldersWaiting_.compare_exchange_weak(waiting, waiting + 1, std::memory_order_relaxed));

  for (;;) {
    const std::size_t k = nextFolder_.fetch_add(1, std::memory_order_relaxed);
    if (k >= folderIndex_.size()) break;
    std::uint8_t expected = kOpen;
    if (!folderState_[k].compare_exchange_strong(expected, kReading, std::memory_order_acq_rel)) {
      continue;  // already taken by the scan
    }
    const std::string path = Join(path_, listing_->Items()[folderIndex_[k]].name);
    Subfolder result;
    bool isFolder = false;
    if (std::shared_ptr<FolderDescriptor> dir = FolderDescriptor::Open(path, isFolder)) {
      result.listing = DirectoryListing::Read(dir->get(), path);
      result.readAhead = Make(std::move(dir), path, result.listing,
                              attributesWanted_.load(std::memory_order_relaxed));
    }
    if (result.listing) {
      {
        std::lock_guard<std::mutex> lock(resultMutex_);
        folderResult_[k] = result;
      }
      expected = kReading;
      if (folderState_[k].compare_exchange_strong(expected, kRead, std::memory_order_acq_rel)) {
        if (result.readAhead) ThePool()->Push(result.readAhead, /*focus=*/false);
        return true;  // the reservation now counts this result
      }
      std::lock_guard<std::mutex> lock(resultMutex_);  // taken meanwhile: not needed
      folderResult_[k] = Subfolder();
    }
    break;
  }
  foldersWaiting_.fetch_sub(1, std::memory_order_relaxed);
  return nextFolder_.load(std::memory_order_relaxed) < folderIndex_.size();
}

mac_metadata::AttributeNames ReadAhead::Attributes(std::size_t i) {
  if (i >= count_) return {};
  if (!attributesWanted_.load(std::memory_order_relaxed)) {
    attributesWanted_.store(true, std::memory_order_relaxed);
    if (Pool* pool = ThePool()) pool->Poke();  // there is work now
  }
  std::uint16_t value = attributes_[i].load(std::memory_order_acquire);
  if (!(value & kDone)) {
    std::uint16_t expected = 0;
    if (attributes_[i].compare_exchange_strong(expected, 1, std::memory_order_acquire)) {
      value = static_cast<std::uint16_t>(kDone | ListAttributes(i, dir_->get()));
      attributes_[i].store(value, std::memory_order_release);
    } else {
      // A helper is listing it right now: one system call's wait at most.
      for (unsigned spin = 0; !((value = attributes_[i].load(std::memory_order_acquire)) & kDone);
           ++spin) {
        if (spin >= 64) std::this_thread::yield();
      }
    }
  }
  return mac_metadata::AttributeNames::FromBits(static_cast<std::uint8_t>(value & 0xFF));
}

ReadAhead::Subfolder ReadAhead::TakeSubfolder(std::size_t i) {
  auto it = std::lower_bound(folderIndex_.begin(), folderIndex_.end(), i);
  if (it == folderIndex_.end() || *it != i) return {};
  const std::size_t k = static_cast<std::size_t>(it - folderIndex_.begin());
  const std::uint8_t previous = folderState_[k].exchange(kTaken, std::memory_order_acq_rel);
  // Not read yet: the caller reads it. Being read: the helper finds it taken
  // and gives its place in the window back.
  if (previous != kRead) return {};
  Subfolder result;
  {
    std::lock_guard<std::mutex> lock(resultMutex_);
    result = std::move(folderResult_[k]);
    folderResult_[k] = Subfolder();
  }
  foldersWaiting_.fetch_sub(1, std::memory_order_relaxed);
  if (Pool* pool = ThePool()) pool->Poke();  // room in the window
  return result;
}
