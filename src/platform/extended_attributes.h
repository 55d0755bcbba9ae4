#pragma once
// Extended attributes of a file or folder (symbolic links are followed), as
// plain byte strings. Every failure (no support in the file system, a
// vanished item, a refused name) reads as "none": these calls never throw.
//
// On Linux only the user.* namespace can be set by ordinary programs; the
// com.apple.* names exist on macOS.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace xattrs {

// Values larger than this are treated as unreadable (a resource fork, the
// largest carrier, cannot exceed about 32 MiB).
inline constexpr std::size_t kMaxValueSize = 64u << 20;

// Paths are taken as plain strings (a std::filesystem::path converts to one)
// so that a folder scan never parses a path into components.

// The names of the item's attributes, in the order the system gives them;
// empty when there are none or they cannot be read.
std::vector<std::string> List(const std::string& path);

// The attribute's value; nullopt when absent, unreadable or larger than
// `maxSize`.
std::optional<std::string> Get(const std::string& path, const std::string& name,
                               std::size_t maxSize = kMaxValueSize);

// Sets or removes an attribute; false when the system refuses (for instance a
// file system without user attributes, or a com.apple.* name on Linux).
bool Set(const std::string& path, const std::string& name, const std::string& value);
bool Remove(const std::string& path, const std::string& name);

}  // namespace xattrs
