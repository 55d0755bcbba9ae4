#pragma once
// Failures of the framework layer and the converter. Every message is one
// Japanese sentence meant for a person: the converter shows it as the reason
// a document was not converted.

#include <cstdint>
#include <stdexcept>
#include <string>

// Base of every failure this layer raises; nothing here aborts the process.
class FrameworkError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An object that should exist does not: a file that cannot be opened or
// created, a folder that cannot be listed.
class NilObjectException : public FrameworkError {
 public:
  using FrameworkError::FrameworkError;
};

// An index beyond the bounds of an array or a folder's items.
class OutOfBoundsException : public FrameworkError {
 public:
  using FrameworkError::FrameworkError;
};

// Data that cannot be read as it claims: a document, a preference file or a
// Mac metadata blob that ends early, holds a length that is negative or too
// large, or refers to bytes outside itself. `reason()` says which field and
// why; `offset()` is where, in bytes from the start of the data; what() is
// the sentence shown to the user, the place printed once, at its end, as a
// person counts bytes (the first is byte 1), so offset 98 reads
// 「2列目の列名を読み込む途中で書類が終わっています（先頭から99バイト目）。」
class ReadError : public FrameworkError {
 public:
  ReadError(const std::string& reason, std::uint64_t offset)
      : FrameworkError(reason + "（先頭から" + std::to_string(offset + 1) + "バイト目）。"),
        reason_(reason),
        offset_(offset) {}
  const std::string& reason() const { return reason_; }
  std::uint64_t offset() const { return offset_; }

 private:
  std::string reason_;
  std::uint64_t offset_;
};
