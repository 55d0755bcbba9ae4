#include "platform/apple_double.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/byte_reader.h"

namespace {

// Closes a descriptor when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads exactly `size` bytes at `offset`; false on any shortfall.
bool ReadAt(int fd, std::uint64_t offset, char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd, buffer + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::optional<std::uint64_t> AppleDouble::TableSize(std::string_view header) {
  auto magic = ByteReader::U32At(header, 0);
  auto version = ByteReader::U32At(header, 4);
  auto count = ByteReader::U16At(header, 24);
  if (!magic || !version || !count || *magic != kMagic) return std::nullopt;
  if (*version != kVersion1 && *version != kVersion2) return std::nullopt;
  return std::uint64_t{kHeaderSize} + std::uint64_t{*count} * kEntrySize;
}

std::optional<AppleDouble> AppleDouble::ParseHead(std::string_view head, std::uint64_t totalSize) {
  auto tableSize = TableSize(head);
  if (!tableSize || *tableSize > totalSize || *tableSize > head.size()) return std::nullopt;
  try {
    ByteReader reader(head);
    AppleDouble result;
    reader.Skip(4);
    result.version_ = reader.U32();
    reader.Skip(16);  // the filler: any text, by whoever wrote the file
    const std::uint16_t count = reader.U16();
    result.entries_.reserve(count);  // bounded: the table is inside `head`
    for (std::uint16_t i = 0; i < count; ++i) {
      Entry entry;
      entry.id = reader.U32();
      entry.offset = reader.U32();
      entry.length = reader.U32();
      if (ByteReader::Fits(totalSize, entry.offset, entry.length)) result.entries_.push_back(entry);
    }
    return result;
  } catch (const ReadError&) {
    return std::nullopt;
  }
}

std::optional<AppleDouble> AppleDouble::Parse(std::string_view blob) {
  return ParseHead(blob, blob.size());
}

std::optional<AppleDouble::Entry> AppleDouble::Find(std::uint32_t id) const {
  for (const Entry& entry : entries_) {
    if (entry.id == id) return entry;
  }
  return std::nullopt;
}

std::optional<std::string_view> AppleDouble::EntryBytes(std::string_view blob, std::uint32_t id) {
  auto parsed = Parse(blob);
  if (!parsed) return std::nullopt;
  auto entry = parsed->Find(id);
  if (!entry) return std::nullopt;
  return ByteReader::BytesAt(blob, entry->offset, entry->length);
}

std::optional<AppleDouble::FileEntry> AppleDouble::OpenEntry(const std::string& file,
                                                             std::uint32_t id) {
  auto fd = std::make_shared<FileHandle>(
      ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd->get() < 0) return std::nullopt;
  struct stat st;
  if (::fstat(fd->get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);

  char header[kHeaderSize];
  if (size < kHeaderSize || !ReadAt(fd->get(), 0, header, sizeof header)) return std::nullopt;
  auto tableSize = TableSize(std::string_view(header, sizeof header));
  if (!tableSize || *tableSize > size) return std::nullopt;  // checked before allocating
  std::string head(static_cast<std::size_t>(*tableSize), '\0');
  if (!ReadAt(fd->get(), 0, head.data(), head.size())) return std::nullopt;
  auto parsed = ParseHead(head, size);
  if (!parsed) return std::nullopt;
  auto entry = parsed->Find(id);
  if (!entry) return std::nullopt;
  const std::uint64_t offset = entry->offset, length = entry->length;
  return FileEntry{length, [fd, offset, length](std::uint64_t at, char* into, std::size_t n) {
                     return ByteReader::Fits(length, at, n) && ReadAt(fd->get(), offset + at, into, n);
                   }};
}

std::optional<std::string> AppleDouble::ReadEntry(const std::string& file, std::uint32_t id,
                                                  std::uint64_t maxBytes) {
  auto entry = OpenEntry(file, id);
  if (!entry) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(std::min(entry->length, maxBytes)), '\0');
  if (!entry->read(0, bytes.data(), bytes.size())) return std::nullopt;
  return bytes;
}
