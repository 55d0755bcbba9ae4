#pragma once
// A checked big-endian reader over a view of bytes that it does not own.
//
// Every read is checked against the bytes left before anything is read or
// allocated; a read past the end throws ReadError (errors.h), whose offset is
// where the failed read began, counted from the start of the view plus `base`
// (so a reader over a slice of a larger buffer can report offsets in that
// buffer), with a message in Japanese for the user. A failed read leaves the
// position unchanged. Nothing is ever yielded as zeros.
//
// The static `*At` helpers read at an absolute offset without throwing: they
// answer nullopt when the bytes are not there.
//
// Header-only; usable by any layer (metadata carriers, resource forks,
// streams, the converter).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/errors.h"

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes, std::uint64_t base = 0)
      : bytes_(bytes), base_(base) {}

  std::size_t Size() const { return bytes_.size(); }
  std::size_t Position() const { return pos_; }
  std::size_t Remaining() const { return bytes_.size() - pos_; }
  // True when n more bytes can be read from the current position.
  bool CanRead(std::uint64_t n) const { return n <= Remaining(); }

  // Moves to an absolute position (0 to Size(), both included).
  void Seek(std::uint64_t position) {
    if (position > bytes_.size()) {
      Fail("データの外の位置には移れません（オフセット " + std::to_string(base_ + position) +
               "、データは " + std::to_string(bytes_.size()) + " バイト）",
           position);
    }
    pos_ = static_cast<std::size_t>(position);
  }
  void Skip(std::uint64_t n) {
    Need(n);
    pos_ += static_cast<std::size_t>(n);
  }

  std::uint8_t U8() {
    Need(1);
    return static_cast<std::uint8_t>(bytes_[pos_++]);
  }
  std::uint16_t U16() {
    Need(2);
    std::uint16_t v = static_cast<std::uint16_t>((Byte(pos_) << 8) | Byte(pos_ + 1));
    pos_ += 2;
    return v;
  }
  std::uint32_t U24() {
    Need(3);
    std::uint32_t v = (Byte(pos_) << 16) | (Byte(pos_ + 1) << 8) | Byte(pos_ + 2);
    pos_ += 3;
    return v;
  }
  std::uint32_t U32() {
    Need(4);
    std::uint32_t v =
        (Byte(pos_) << 24) | (Byte(pos_ + 1) << 16) | (Byte(pos_ + 2) << 8) | Byte(pos_ + 3);
    pos_ += 4;
    return v;
  }
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

  // A reader over [offset, offset + length) of this one's bytes, checked;
  // its offsets are reported relative to this reader's base.
  ByteReader Sub(std::uint64_t offset, std::uint64_t length) const {
    if (!Fits(bytes_.size(), offset, length)) {
      Fail("範囲がデータの外にはみ出しています（オフセット " + std::to_string(base_ + offset) +
               " から " + std::to_string(length) + " バイト、データは " +
               std::to_string(bytes_.size()) + " バイト）",
           offset);
    }
    return ByteReader(
        bytes_.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length)),
        base_ + offset);
  }

  // True when [offset, offset + length) lies within `size` bytes, without
  // overflow.
  static bool Fits(std::uint64_t size, std::uint64_t offset, std::uint64_t length) {
    return offset <= size && length <= size - offset;
  }

  // Non-throwing reads at an absolute offset.
  static std::optional<std::uint16_t> U16At(std::string_view bytes, std::uint64_t offset) {
    if (!Fits(bytes.size(), offset, 2)) return std::nullopt;
    return static_cast<std::uint16_t>((At(bytes, offset) << 8) | At(bytes, offset + 1));
  }
  static std::optional<std::uint32_t> U32At(std::string_view bytes, std::uint64_t offset) {
    if (!Fits(bytes.size(), offset, 4)) return std::nullopt;
    return (At(bytes, offset) << 24) | (At(bytes, offset + 1) << 16) |
           (At(bytes, offset + 2) << 8) | At(bytes, offset + 3);
  }
  static std::optional<std::string_view> BytesAt(std::string_view bytes, std::uint64_t offset,
                                                 std::uint64_t length) {
    if (!Fits(bytes.size(), offset, length)) return std::nullopt;
    return bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
  }

 private:
  static std::uint32_t At(std::string_view bytes, std::uint64_t i) {
    return static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(i)]);
  }
  std::uint32_t Byte(std::size_t i) const { return static_cast<std::uint8_t>(bytes_[i]); }
  void Need(std::uint64_t n) const {
    if (!CanRead(n)) {
      Fail("データが途中で終わっています（オフセット " + std::to_string(base_ + pos_) + " で " +
               std::to_string(n) + " バイトを読もうとしましたが、残りは " +
               std::to_string(Remaining()) + " バイトです）",
           pos_);
    }
  }
  [[noreturn]] void Fail(const std::string& what, std::uint64_t at) const {
    throw ReadError(what, base_ + at);
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
