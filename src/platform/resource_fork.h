#pragma once
// A classic Mac resource fork (big-endian header, type list, reference list).
// Only the header and the map are held; a resource's bytes are read from the
// fork's carrier when they are asked for. Every offset is checked against the
// fork's size before anything is read.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/byte_reader.h"

class ResourceFork {
 public:
  // What the format can describe, so what a carrier may claim. Resource data
  // lies at 24-bit offsets: at most 16 MiB. Everything the map addresses lies
  // within two 16-bit offsets (the name list's, then a name's) plus one name
  // of up to 256 bytes. The Resource Manager puts the data after a 256-byte
  // header area and the map after the data.
  static constexpr std::uint64_t kMaxDataLength = std::uint64_t{1} << 24;
  static constexpr std::uint64_t kMaxMapLength = 2 * 0x10000 + 256;
  static constexpr std::uint64_t kMaxSize = 256 + kMaxDataLength + kMaxMapLength;

  struct Resource {
    std::string type;  // four bytes
    std::int16_t id;
    std::uint32_t offset;  // of its length word, in bytes from the data's start
  };

  // Reads the header and the map of a fork of `size` bytes read through
  // `read` (offsets from the fork's start), which the fork keeps for
  // GetResource. Throws ReadError, with the reason and the offset in the
  // fork, when the fork is larger than the format can describe, is not a
  // well-formed classic fork (a little-endian one, say), cannot be read, or
  // is the blank placeholder macOS writes in place of none.
  static ResourceFork Open(std::uint64_t size, RangeReader read);
  // The same over bytes held in memory.
  static ResourceFork Parse(std::string bytes);

  // The resource's bytes; "" when absent, or when its bytes cannot be read or
  // run past the fork's data.
  std::string GetResource(const std::string& type, std::int32_t id) const;
  const std::vector<Resource>& Resources() const { return resources_; }

 private:
  RangeReader read_;
  std::uint64_t dataOffset_ = 0;
  std::uint64_t dataLength_ = 0;
  std::vector<Resource> resources_;
};
