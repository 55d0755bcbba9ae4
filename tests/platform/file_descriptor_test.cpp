// The descriptor owner and the EINTR retry that the streams are built on.
#include "platform/file_descriptor.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <utility>
#include <vector>

namespace {

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

// Passed on by move and closed by its last owner, a descriptor is closed
// once: the number, handed out again to another file, stays that file's.
TEST(FileDescriptor, IsClosedOnceByItsLastOwner) {
  FileDescriptor other;
  {
    FileDescriptor first(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int number = first.Get();
    FileDescriptor second(std::move(first));
    FileDescriptor last;
    last = std::move(second);
    EXPECT_EQ(last.Close(), 0);
    EXPECT_FALSE(IsOpen(number));
    other = FileDescriptor(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(other.Get(), number) << "open() gives the lowest free number";
    EXPECT_EQ(last.Close(), 0);
  }
  EXPECT_TRUE(IsOpen(other.Get()));
}

// Called again only while it fails with EINTR; any other failure, and any
// success, is the answer.
TEST(RetryOnInterrupt, CallsAgainOnlyWhileInterrupted) {
  const std::vector<int> errors = {EINTR, EINTR, EIO, EINTR, 0};  // of each call; 0: it reads 5
  std::size_t calls = 0;
  const auto call = [&]() -> ssize_t {
    errno = errors.at(calls++);
    return errno == 0 ? 5 : -1;
  };
  EXPECT_EQ(RetryOnInterrupt(call), -1);
  EXPECT_EQ(errno, EIO);
  EXPECT_EQ(calls, 3u);
  EXPECT_EQ(RetryOnInterrupt(call), 5);
  EXPECT_EQ(calls, 5u);
}

}  // namespace
