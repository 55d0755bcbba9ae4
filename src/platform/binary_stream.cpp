#include "platform/binary_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "platform/byte_reader.h"
#include "platform/errors.h"
#include "platform/system_error_text.h"

namespace {

// The conversion's many small reads cost one system call per this many
// bytes, and a document of any size is read in this much memory.
constexpr std::size_t kBufferSize = 256 * 1024;
// The first refill: enough for a document's header and preference block.
constexpr std::size_t kFirstRefill = 4096;

[[noreturn]] void ThrowCannotOpen(const std::filesystem::path& path, const std::string& why) {
  throw NilObjectException("ファイル「" + path.string() + "」を開けませんでした（" + why + "）。");
}

[[noreturn]] void ThrowClosed(std::uint64_t offset) {
  throw ReadError("閉じたストリームからは読み込めません", offset);
}

}  // namespace

std::unique_ptr<BinaryStream> BinaryStream::Open(const std::filesystem::path& path) {
  // O_NONBLOCK so that a FIFO standing at the path cannot hang us; it is
  // refused below with everything else that is not a regular file. The flag
  // stays: it changes nothing for reads of a regular file.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.IsOpen()) ThrowCannotOpen(path, SystemErrorText(errno));
  struct stat info {};
  const int statError = ::fstat(fd.Get(), &info) != 0 ? errno : 0;
  if (statError != 0 || !S_ISREG(info.st_mode)) {
    ThrowCannotOpen(path, statError != 0          ? SystemErrorText(statError)
                          : S_ISDIR(info.st_mode) ? std::string("フォルダです")
                                                  : std::string("通常のファイルではありません"));
  }
  std::unique_ptr<BinaryStream> stream(new BinaryStream());
  stream->fd_ = std::move(fd);
  stream->length_ = static_cast<std::uint64_t>(info.st_size);
  stream->refill_ = kFirstRefill;
  return stream;
}

BinaryStream::~BinaryStream() { Close(); }

std::int32_t BinaryStream::ReadLong() {
  if (end_ - next_ < 4) Fill(4);
  const std::uint32_t bits = BigEndian(window_ + next_, 4);
  next_ += 4;
  return static_cast<std::int32_t>(bits);  // two's complement, defined since C++20
}

void BinaryStream::ReadInto(char* into, std::size_t size) {
  if (closed_) ThrowClosed(Position());
  if (size > Left()) FailEndsEarly(size);
  if (size > end_ - next_ && size <= kBufferSize) Fill(size);
  const std::size_t have = std::min(size, end_ - next_);
  if (have > 0) std::memcpy(into, window_ + next_, have);
  next_ += have;
  // A run longer than the buffer: the rest straight from the file.
  for (std::size_t done = have; done < size;) {
    const std::size_t got = ReadSome(into + done, size - done);
    if (got == 0) FailEndsEarly(size - done);
    done += got;
    base_ += got;
  }
}

void BinaryStream::ReadInto(std::string& bytes, std::size_t size) {
  if (closed_) ThrowClosed(Position());
  if (size > Left()) FailEndsEarly(size);
  if (size > end_ - next_ && size <= kBufferSize) Fill(size);
  if (size <= end_ - next_) {
    bytes.assign(window_ + next_, size);
    next_ += size;
    return;
  }
  // Storage that must grow is let go first: growing then copies none of the
  // old bytes, and the old and the new storage are never held together.
  if (size > bytes.capacity()) std::string().swap(bytes);
  bytes.resize(size);
  ReadInto(bytes.data(), size);
}

void BinaryStream::Close() {
  fd_.Close();  // read-only: nothing is lost whatever close() says
  closed_ = true;
  base_ += next_;
  next_ = end_ = 0;
  buffer_.reset();
  window_ = nullptr;
}

void BinaryStream::Fill(std::size_t count) {
  if (closed_) ThrowClosed(Position());
  if (Left() < count) FailEndsEarly(count);
  if (!buffer_) {
    buffer_.reset(new char[kBufferSize]);  // not zero-filled: every byte used is read first
    window_ = buffer_.get();
  }
  const std::size_t kept = end_ - next_;
  std::memmove(buffer_.get(), window_ + next_, kept);
  base_ += next_;
  next_ = 0;
  end_ = kept;
#ifdef POSIX_FADV_SEQUENTIAL
  // A document read past its first block is read to its end (a scan reads
  // only the first block of each).
  if (fd_.IsOpen() && refill_ == 2 * kFirstRefill) {
    ::posix_fadvise(fd_.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  }
#endif
  const std::size_t wanted = std::min(kBufferSize, std::max(count, refill_));
  refill_ = std::min(kBufferSize, refill_ * 2);
  while (end_ < count) {
    const std::size_t got = ReadSome(buffer_.get() + end_, wanted - end_);
    if (got == 0) FailEndsEarly(count);  // the file shrank under us
    end_ += got;
  }
}

// 0 at the end of the file.
std::size_t BinaryStream::ReadSome(char* into, std::size_t room) {
  if (!fd_.IsOpen()) return 0;
  const ssize_t got = RetryOnInterrupt([&] { return ::read(fd_.Get(), into, room); });
  if (got < 0)
    throw ReadError("書類を読み込めません（" + SystemErrorText(errno) + "）", Position());
  return static_cast<std::size_t>(got);
}

void BinaryStream::FailEndsEarly(std::uint64_t wanted) const {
  throw ReadError("書類が途中で終わっています（" + std::to_string(wanted) +
                      "バイトを読もうとしましたが、残りは" + std::to_string(Left()) +
                      "バイトです）",
                  Position());
}
