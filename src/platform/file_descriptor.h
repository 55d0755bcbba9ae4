#pragma once
// An open file descriptor with one owner, which closes it once, and the retry
// of a system call that a signal interrupted before it did anything.

#include <unistd.h>

#include <cerrno>
#include <utility>

class FileDescriptor {
 public:
  FileDescriptor() = default;
  // Takes `fd` (-1: none; a failed open() can be handed over as it is).
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }

  bool IsOpen() const { return fd_ >= 0; }
  int Get() const { return fd_; }

  // Closes it now: 0, or the errno close() gave (the data may not have been
  // written). It is given up either way and never closed again: after a
  // failed close() its number may already belong to another file.
  int Close() {
    if (fd_ < 0) return 0;
    const int result = ::close(std::exchange(fd_, -1));
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_ = -1;
};

// Calls `call` (read, write, pread and the like: -1 and errno on failure)
// again for as long as it fails with EINTR; its last result.
template <typename Call>
auto RetryOnInterrupt(Call call) {
  for (;;) {
    const auto result = call();
    if (result >= 0 || errno != EINTR) return result;
  }
}
