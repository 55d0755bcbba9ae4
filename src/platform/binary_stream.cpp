#include "binary_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "errors.h"
#include "strings.h"
#include "system_error_text.h"

namespace {

// Large enough that the conversion's many small reads cost one syscall per
// 256 KiB, small enough that a document of any size is read in this much memory.
constexpr std::size_t kBufferSize = 256 * 1024;

[[noreturn]] void ThrowEndsEarly(std::uint64_t offset, std::uint64_t wanted, std::uint64_t left) {
  throw ReadError(
      "書類が途中で終わっています（オフセット " + Str(static_cast<std::int64_t>(offset)) + " で " +
          Str(static_cast<std::int64_t>(wanted)) + " バイトを読もうとしましたが、残りは " +
          Str(static_cast<std::int64_t>(left)) + " バイトです）",
      offset);
}

[[noreturn]] void ThrowCannotOpen(const std::filesystem::path& path, const std::string& why) {
  throw NilObjectException("ファイル「" + path.string() + "」を開けませんでした（" + why + "）。");
}

[[noreturn]] void ThrowClosed() { throw FrameworkError("閉じたストリームからは読み込めません"); }

// One class serves both sources: a file read through a window of kBufferSize
// bytes, or bytes held whole in memory (then the window is all of them and
// there is nothing to refill).
class BufferedBinaryStream final : public BinaryStream {
 public:
  // Takes ownership of `fd`.
  BufferedBinaryStream(int fd, std::uint64_t length) : fd_(fd), length_(length) {
    buffer_.resize(kBufferSize);
  }
  explicit BufferedBinaryStream(std::string bytes)
      : buffer_(std::move(bytes)), end_(buffer_.size()), length_(buffer_.size()) {}
  ~BufferedBinaryStream() override { Close(); }

  std::int32_t ReadLong() override {
    if (end_ - next_ < 4) Need(4);
    const auto* p = reinterpret_cast<const unsigned char*>(buffer_.data() + next_);
    next_ += 4;
    const std::uint32_t bits = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                               (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
    return static_cast<std::int32_t>(bits);  // two's complement, defined since C++20
  }

  std::string ReadPString() override {
    const std::uint64_t start = Position();
    if (end_ - next_ < 1) Need(1);
    const std::size_t size = static_cast<unsigned char>(buffer_[next_]);
    if (end_ - next_ < 1 + size) {
      if (Left() < 1 + size) ThrowEndsEarly(start, 1 + size, Left());
      Need(1 + size);
    }
    std::string text(buffer_.data() + next_ + 1, size);
    next_ += 1 + size;
    return text;
  }

  std::string Read(std::int64_t n) override {
    if (closed_) ThrowClosed();
    if (n < 0) {
      throw ReadError("書類の長さの値が不正です（オフセット " +
                          Str(static_cast<std::int64_t>(Position())) + " の長さ " + Str(n) + "）",
                      Position());
    }
    const auto count = static_cast<std::uint64_t>(n);
    if (count > Left()) ThrowEndsEarly(Position(), count, Left());
    std::string bytes(static_cast<std::size_t>(count), '\0');
    ReadInto(bytes.data(), bytes.size());
    return bytes;
  }

  void ReadInto(char* into, std::size_t count) override {
    if (closed_) ThrowClosed();
    if (count > Left()) ThrowEndsEarly(Position(), count, Left());
    if (count <= end_ - next_ || count <= kBufferSize) {
      if (count > end_ - next_) Need(count);
      std::memcpy(into, buffer_.data() + next_, count);
      next_ += count;
      return;
    }
    ReadThrough(into, count);
  }

  std::uint64_t Position() const override { return base_ + next_; }
  std::uint64_t Length() const override { return length_; }

  // Further reads throw; the position stays where it was.
  void Close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    closed_ = true;
    base_ += next_;
    next_ = end_ = 0;
    std::string().swap(buffer_);
  }

 private:
  std::uint64_t Left() const { return length_ - Position(); }

  // Makes at least `count` (≤ kBufferSize) unread bytes available in the
  // window, or throws: past the end, or a file that shrank under us.
  void Need(std::size_t count) {
    if (closed_) ThrowClosed();
    const std::uint64_t start = Position();
    if (Left() < count) ThrowEndsEarly(start, count, Left());
    const std::size_t kept = end_ - next_;
    std::memmove(buffer_.data(), buffer_.data() + next_, kept);
    base_ += next_;
    next_ = 0;
    end_ = kept;
    while (end_ < count) {
      const std::size_t got = ReadSome(buffer_.data() + end_, buffer_.size() - end_);
      if (got == 0) ThrowEndsEarly(start, count, end_);
      end_ += got;
    }
  }

  // A run longer than what the window holds: the window's bytes, then the
  // rest straight from the file into the result.
  void ReadThrough(char* into, std::size_t count) {
    const std::uint64_t start = Position();
    std::size_t have = end_ - next_;
    std::memcpy(into, buffer_.data() + next_, have);
    base_ += end_;
    next_ = end_ = 0;
    while (have < count) {
      const std::size_t got = ReadSome(into + have, count - have);
      if (got == 0) ThrowEndsEarly(start, count, have);
      have += got;
      base_ += got;
    }
  }

  // 0 at the end of the file (and always for bytes held in memory).
  std::size_t ReadSome(char* into, std::size_t room) {
    if (fd_ < 0) return 0;
    for (;;) {
      const ssize_t got = ::read(fd_, into, room);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno == EINTR) continue;
      throw ReadError("書類を読み込めません（オフセット " +
                          Str(static_cast<std::int64_t>(Position())) + "：" +
                          SystemErrorText(errno) + "）",
                      Position());
    }
  }

  int fd_ = -1;
  bool closed_ = false;
  std::string buffer_;
  std::size_t next_ = 0;    // first unread byte of the window
  std::size_t end_ = 0;     // one past the last valid byte of the window
  std::uint64_t base_ = 0;  // offset in the data of the window's first byte
  std::uint64_t length_;
};

}  // namespace

std::unique_ptr<BinaryStream> BinaryStream::Open(const std::filesystem::path& path) {
  // O_NONBLOCK so that a FIFO standing at the path cannot hang us; it is
  // refused below with everything else that is not a regular file.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) ThrowCannotOpen(path, SystemErrorText(errno));
  struct stat info {};
  const int statError = ::fstat(fd, &info) != 0 ? errno : 0;
  if (statError != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    ThrowCannotOpen(path, statError != 0        ? SystemErrorText(statError)
                          : S_ISDIR(info.st_mode) ? std::string("フォルダです")
                                                  : std::string("通常のファイルではありません"));
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  return std::make_unique<BufferedBinaryStream>(fd, static_cast<std::uint64_t>(info.st_size));
}

std::unique_ptr<BinaryStream> BinaryStream::FromBytes(std::string bytes) {
  return std::make_unique<BufferedBinaryStream>(std::move(bytes));
}
