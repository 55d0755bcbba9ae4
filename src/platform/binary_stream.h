#pragma once
// Reads the legacy binary encoding front to back: big-endian Int32, Pascal
// strings, raw byte runs. A read past the end throws ReadError ("the document
// ends early"); it never yields zeros. Lengths are checked against the bytes
// left before anything is allocated. Reads are buffered, so a file of any
// size is read in constant memory.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

class BinaryStream {
 public:
  // Opens a file read-only; throws NilObjectException when it cannot.
  static std::unique_ptr<BinaryStream> Open(const std::filesystem::path& path);
  // Reads from a copy of `bytes` (tests, fuzzing).
  static std::unique_ptr<BinaryStream> FromBytes(std::string bytes);

  virtual ~BinaryStream() = default;

  // Signed 32-bit, big-endian.
  virtual std::int32_t ReadLong() = 0;
  // One length byte, then that many bytes.
  virtual std::string ReadPString() = 0;
  // Exactly n bytes; n below 0 or beyond the bytes left throws ReadError.
  virtual std::string Read(std::int64_t n) = 0;
  // Exactly `size` bytes into the caller's memory, with no copy kept here.
  virtual void ReadInto(char* into, std::size_t size) = 0;
  // Bytes from the start of the data.
  virtual std::uint64_t Position() const = 0;
  virtual std::uint64_t Length() const = 0;
  virtual void Close() = 0;
};
