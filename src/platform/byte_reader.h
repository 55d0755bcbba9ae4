#pragma once
// The big-endian decode of the legacy formats, and a checked reader over a
// view of bytes that it does not own (Mac metadata blobs).
//
// Every read is checked against the bytes left before anything is read or
// allocated; a read past the end throws ReadError (errors.h), whose offset is
// where the failed read began, counted from the start of the view plus `base`
// (so a reader over a slice of a larger blob reports offsets in that blob).
// A failed read leaves the position unchanged. Nothing is ever yielded as
// zeros.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/errors.h"

// The unsigned big-endian number in the `size` (1 to 4) bytes at `bytes`.
inline std::uint32_t BigEndian(const char* bytes, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) value = (value << 8) | static_cast<std::uint8_t>(bytes[i]);
  return value;
}

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes, std::uint64_t base = 0)
      : bytes_(bytes), base_(base) {}

  std::size_t Size() const { return bytes_.size(); }
  std::size_t Position() const { return pos_; }
  std::size_t Remaining() const { return bytes_.size() - pos_; }
  // True when n more bytes can be read from the current position.
  bool CanRead(std::uint64_t n) const { return n <= Remaining(); }
  // Where the next read begins, counted as errors count it.
  std::uint64_t Offset() const { return base_ + pos_; }

  void Skip(std::uint64_t n) {
    Need(n);
    pos_ += static_cast<std::size_t>(n);
  }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Number(2)); }
  std::uint32_t U24() { return Number(3); }
  std::uint32_t U32() { return Number(4); }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }

  // The next n bytes as a view into the underlying data (no copy).
  std::string_view Bytes(std::uint64_t n) {
    Need(n);
    std::string_view v = bytes_.substr(pos_, static_cast<std::size_t>(n));
    pos_ += static_cast<std::size_t>(n);
    return v;
  }
  // The next n bytes as a string; n is checked before anything is allocated.
  std::string String(std::uint64_t n) { return std::string(Bytes(n)); }

  // A reader over [offset, offset + length) of this one's bytes; `why` is the
  // reason when that range does not lie inside them.
  ByteReader Sub(std::uint64_t offset, std::uint64_t length, const char* why) const {
    if (!Fits(bytes_.size(), offset, length)) throw ReadError(why, base_ + offset);
    return ByteReader(
        bytes_.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length)),
        base_ + offset);
  }

  // True when [offset, offset + length) lies within `size` bytes, without
  // overflow.
  static bool Fits(std::uint64_t size, std::uint64_t offset, std::uint64_t length) {
    return offset <= size && length <= size - offset;
  }

 private:
  std::uint32_t Number(std::size_t size) {
    Need(size);
    const std::uint32_t value = BigEndian(bytes_.data() + pos_, size);
    pos_ += size;
    return value;
  }
  void Need(std::uint64_t n) const {
    if (!CanRead(n)) {
      throw ReadError("データが途中で終わっています（" + std::to_string(n) +
                          "バイトを読もうとしましたが、残りは" + std::to_string(Remaining()) +
                          "バイトです）",
                      Offset());
    }
  }

  std::string_view bytes_;
  std::size_t pos_ = 0;
  std::uint64_t base_ = 0;
};

// Reads `size` bytes at `offset` into `into`; false when they are not all
// there. Resource forks and AppleDouble entries are read through one, so that
// only the bytes asked for are read, from memory or from a file left open.
using RangeReader = std::function<bool(std::uint64_t offset, char* into, std::size_t size)>;

// A reader over [offset, offset + length) of `bytes`, which it shares.
inline RangeReader MemoryRange(std::shared_ptr<const std::string> bytes, std::uint64_t offset,
                               std::uint64_t length) {
  return [bytes, offset, length](std::uint64_t at, char* into, std::size_t size) {
    if (!ByteReader::Fits(length, at, size) || !ByteReader::Fits(bytes->size(), offset + at, size))
      return false;
    if (size > 0) std::memcpy(into, bytes->data() + offset + at, size);
    return true;
  };
}
