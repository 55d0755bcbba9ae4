#include "platform/apple_double.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "platform/byte_reader.h"
#include "platform/file_descriptor.h"

namespace {

// Reads exactly `size` bytes at `offset`; false on any shortfall.
bool ReadAt(int fd, std::uint64_t offset, char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = RetryOnInterrupt(
        [&] { return ::pread(fd, buffer + done, size - done, static_cast<off_t>(offset + done)); });
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::uint64_t AppleDouble::TableSize(std::string_view header) {
  ByteReader in(header);
  if (header.size() < kHeaderSize) throw ReadError("AppleDouble のヘッダより短いデータです", 0);
  if (in.U32() != kMagic) throw ReadError("AppleDouble の印がありません", 0);
  const std::uint32_t version = in.U32();
  if (version != kVersion1 && version != kVersion2)
    throw ReadError("AppleDouble の版（" + std::to_string(version) + "）に対応していません", 4);
  in.Skip(16);  // the filler: any text, by whoever wrote the file
  return std::uint64_t{kHeaderSize} + std::uint64_t{in.U16()} * kEntrySize;
}

AppleDouble AppleDouble::ParseHead(std::string_view head, std::uint64_t totalSize) {
  const std::uint64_t tableSize = TableSize(head);
  if (tableSize > totalSize || tableSize > head.size())
    throw ReadError("項目の表がファイルに収まりません", 24);
  ByteReader reader(head.substr(0, tableSize));
  AppleDouble result;
  reader.Skip(4);
  result.version_ = reader.U32();
  reader.Skip(16);
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
}

AppleDouble AppleDouble::Parse(std::string_view blob) { return ParseHead(blob, blob.size()); }

std::optional<AppleDouble::Entry> AppleDouble::Find(std::uint32_t id) const {
  for (const Entry& entry : entries_) {
    if (entry.id == id) return entry;
  }
  return std::nullopt;
}

std::optional<AppleDouble::FileEntry> AppleDouble::OpenEntry(const std::string& file,
                                                             std::uint32_t id) {
  // Shared with the reader it hands out, which keeps the file open.
  auto fd = std::make_shared<FileDescriptor>(
      ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd->IsOpen()) return std::nullopt;
  struct stat st;
  if (::fstat(fd->Get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);

  char header[kHeaderSize];
  const std::size_t headerSize = std::min<std::uint64_t>(size, kHeaderSize);
  if (!ReadAt(fd->Get(), 0, header, headerSize)) return std::nullopt;
  const std::uint64_t tableSize = TableSize(std::string_view(header, headerSize));
  if (tableSize > size) throw ReadError("項目の表がファイルに収まりません", 24);
  std::string head(static_cast<std::size_t>(tableSize), '\0');  // checked before allocating
  if (!ReadAt(fd->Get(), 0, head.data(), head.size())) return std::nullopt;
  const auto entry = ParseHead(head, size).Find(id);
  if (!entry) return std::nullopt;
  const std::uint64_t offset = entry->offset, length = entry->length;
  return FileEntry{length, [fd, offset, length](std::uint64_t at, char* into, std::size_t n) {
                     return ByteReader::Fits(length, at, n) &&
                            ReadAt(fd->Get(), offset + at, into, n);
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
