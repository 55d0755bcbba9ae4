#pragma once
// Reads the legacy binary encoding front to back from a file: big-endian
// Int32 and byte runs into the caller's memory. A read past the end throws
// ReadError at the offset where the read began; it never yields zeros, and a
// length is checked against the bytes left before anything is allocated.
//
// A file is read through one buffer, neither zero-filled nor read whole:
// the first refill reads a few kilobytes, later ones more, so that opening a
// document to read its first fields costs little and a long document is
// still read in large blocks. Runs longer than the buffer go straight from
// the file into the caller's memory.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/file_descriptor.h"

class BinaryStream {
 public:
  // Opens a file read-only; throws NilObjectException when it cannot.
  static std::unique_ptr<BinaryStream> Open(const std::filesystem::path& path);

  ~BinaryStream();
  BinaryStream(const BinaryStream&) = delete;
  BinaryStream& operator=(const BinaryStream&) = delete;

  // Signed 32-bit, big-endian.
  std::int32_t ReadLong();
  // Exactly `size` bytes into the caller's memory; more than are left
  // throws ReadError before anything is read.
  void ReadInto(char* into, std::size_t size);
  // Exactly `size` bytes in place of what `bytes` held; its storage is
  // reused, and a run that fits the buffer is copied once, with no zeros
  // written first.
  void ReadInto(std::string& bytes, std::size_t size);

  // Bytes from the start of the file to the next unread byte, and after it.
  std::uint64_t Position() const { return base_ + next_; }
  std::uint64_t Left() const { return length_ - Position(); }
  // Further reads throw; the position stays where it was.
  void Close();

 private:
  BinaryStream() = default;
  // Makes `count` (at most the buffer's size) unread bytes available.
  void Fill(std::size_t count);
  std::size_t ReadSome(char* into, std::size_t room);
  [[noreturn]] void FailEndsEarly(std::uint64_t wanted) const;

  FileDescriptor fd_;
  bool closed_ = false;
  std::unique_ptr<char[]> buffer_;  // made at the first refill
  std::size_t refill_ = 0;          // bytes the next refill asks for
  const char* window_ = nullptr;    // buffer_ once made
  std::size_t next_ = 0;            // first unread byte of the window
  std::size_t end_ = 0;             // one past the last valid byte of it
  std::uint64_t base_ = 0;          // offset in the file of window_[0]
  std::uint64_t length_ = 0;
};
