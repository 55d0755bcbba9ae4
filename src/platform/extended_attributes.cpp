#include "platform/extended_attributes.h"

#include <cerrno>

#if defined(__linux__) || defined(__APPLE__)
#include <sys/types.h>
#include <sys/xattr.h>
#define TAVR_HAVE_XATTR 1
#endif

namespace xattrs {

#if defined(TAVR_HAVE_XATTR)
namespace {

ssize_t SysList(const char* path, char* buffer, std::size_t size) {
#if defined(__APPLE__)
  return ::listxattr(path, buffer, size, 0);
#else
  return ::listxattr(path, buffer, size);
#endif
}

ssize_t SysGet(const char* path, const char* name, void* buffer, std::size_t size) {
#if defined(__APPLE__)
  return ::getxattr(path, name, buffer, size, 0, 0);
#else
  return ::getxattr(path, name, buffer, size);
#endif
}

std::vector<std::string> SplitNames(const char* buffer, std::size_t size) {
  std::vector<std::string> names;
  std::size_t start = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (buffer[i] == '\0') {
      if (i > start) names.emplace_back(buffer + start, i - start);
      start = i + 1;
    }
  }
  if (start < size) names.emplace_back(buffer + start, size - start);
  return names;
}

}  // namespace

std::vector<std::string> List(const std::string& path) {
  // A stack buffer first: most items have few attributes or none. Then a buffer of
  // the size the system reports, a few times over in case the list grows
  // meanwhile.
  char small[1024];
  ssize_t n = SysList(path.c_str(), small, sizeof small);
  if (n >= 0) return SplitNames(small, static_cast<std::size_t>(n));
  if (errno != ERANGE) return {};
  for (int attempt = 0; attempt < 4; ++attempt) {
    const ssize_t needed = SysList(path.c_str(), nullptr, 0);
    if (needed <= 0 || static_cast<std::size_t>(needed) > kMaxValueSize) return {};
    std::string buffer(static_cast<std::size_t>(needed), '\0');
    n = SysList(path.c_str(), buffer.data(), buffer.size());
    if (n >= 0) return SplitNames(buffer.data(), static_cast<std::size_t>(n));
    if (errno != ERANGE) return {};
  }
  return {};
}

std::optional<std::string> Get(const std::string& path, const std::string& name,
                               std::size_t maxSize) {
  const char* p = path.c_str();
  for (int attempt = 0; attempt < 4; ++attempt) {
    ssize_t needed = SysGet(p, name.c_str(), nullptr, 0);
    if (needed < 0) return std::nullopt;
    if (static_cast<std::size_t>(needed) > maxSize) return std::nullopt;
    std::string value(static_cast<std::size_t>(needed), '\0');
    if (needed == 0) return value;
    ssize_t n = SysGet(p, name.c_str(), value.data(), value.size());
    if (n >= 0) {
      value.resize(static_cast<std::size_t>(n));
      return value;
    }
    if (errno != ERANGE) return std::nullopt;  // ERANGE: it grew meanwhile
  }
  return std::nullopt;
}

bool Set(const std::string& path, const std::string& name, const std::string& value) {
#if defined(__APPLE__)
  return ::setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0, 0) == 0;
#else
  return ::setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) == 0;
#endif
}

bool Remove(const std::string& path, const std::string& name) {
#if defined(__APPLE__)
  return ::removexattr(path.c_str(), name.c_str(), 0) == 0;
#else
  return ::removexattr(path.c_str(), name.c_str()) == 0;
#endif
}

#else  // no extended attributes on this platform

std::vector<std::string> List(const std::string&) { return {}; }
std::optional<std::string> Get(const std::string&, const std::string&, std::size_t) {
  return std::nullopt;
}
bool Set(const std::string&, const std::string&, const std::string&) { return false; }
bool Remove(const std::string&, const std::string&) { return false; }

#endif

}  // namespace xattrs
