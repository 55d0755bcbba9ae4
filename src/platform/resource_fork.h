#pragma once
// A classic Mac resource fork (big-endian header, type list, reference list).
// Every offset is checked against the fork's size.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ResourceFork {
 public:
  struct Resource {
    std::string type;  // four bytes
    std::int16_t id;
    std::string data;
  };

  // nullopt when the bytes are not a well-formed classic fork (a little-endian
  // fork, say), or are the blank placeholder fork macOS writes.
  static std::optional<ResourceFork> Parse(const std::string& bytes);

  // The resource's bytes; "" when absent.
  std::string GetResource(const std::string& type, std::int32_t id) const;
  const std::vector<Resource>& Resources() const { return resources_; }

 private:
  std::vector<Resource> resources_;
};
