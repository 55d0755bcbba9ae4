#pragma once
// Failures of the framework layer. Every message is meant for a person: the
// converter shows it, in Japanese, as the reason a document was not converted.

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

// Data that cannot be read as far as it claims: it ends early, or a length is
// negative or longer than the bytes left. `offset` is where, in bytes from the
// start of the data, the read began.
class ReadError : public FrameworkError {
 public:
  ReadError(const std::string& what, std::uint64_t offset)
      : FrameworkError(what), offset_(offset) {}
  std::uint64_t offset() const { return offset_; }

 private:
  std::uint64_t offset_;
};
