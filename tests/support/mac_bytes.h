#pragma once
// Mac bytes for tests, the bench and the fuzz targets, composed field by
// field: big-endian words, legacy list documents and the legacy preference
// file, Finder info, AppleDouble files, Samba's AFP info and resource forks.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/files.h"

namespace mac_bytes {

inline std::string BE16(std::uint16_t v) {
  return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}
inline std::string BE32(std::uint32_t v) { return BE16(v >> 16) + BE16(v & 0xFFFF); }
// A legacy Int32.
inline std::string Long(std::int32_t v) { return BE32(static_cast<std::uint32_t>(v)); }

// One length byte, or an Int32 length, then the bytes.
inline std::string ShortString(std::string_view text) {
  return static_cast<char>(text.size()) + std::string(text);
}
inline std::string LongString(std::string_view text) {
  return Long(static_cast<std::int32_t>(text.size())) + std::string(text);
}

// Shift-JIS words, as the legacy application stored them: 日本語, 東京都, りんご,
// 会議室の予約, 株式会社, ｶﾀｶﾅ, and 表 and ソ, whose second byte is 0x5C, the ASCII
// backslash.
inline constexpr const char* kSjisWords[] = {"\x93\xFA\x96\x7B\x8C\xEA",
                                             "\x93\x8C\x8B\x9E\x93\x73",
                                             "\x82\xE8\x82\xF1\x82\xB2",
                                             "\x89\xEF\x8B\x63\x8E\xBA\x82\xCC\x97\x5C\x96\xF1",
                                             "\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0",
                                             "\xB6\xC0\xB6\xC5",
                                             "\x95\x5C",
                                             "\x83\x5C"};

struct Column {
  std::int32_t info = 0;
  std::string name;  // Shift-JIS bytes
  std::int32_t colour = 0;
};

// A legacy list document. The counts written are the sizes of the lists; the
// column and row counts the converter uses are preference numbers 1 and 2,
// which WithTable keeps in step with `columns` and `rows`.
struct Document {
  std::string header = "T:1";
  std::vector<std::string> prefNumbers;  // decimal text, as stored
  std::vector<std::string> prefStrings;
  std::vector<Column> columns;
  std::vector<std::vector<std::string>> rows;  // cells, Shift-JIS bytes

  // Four preference numbers: 0, the column count, the row count, `multi`.
  static Document WithTable(std::vector<Column> columns, std::vector<std::vector<std::string>> rows,
                            int multi = 0) {
    Document d;
    d.prefNumbers = {"0", std::to_string(columns.size()), std::to_string(rows.size()),
                     std::to_string(multi)};
    d.columns = std::move(columns);
    d.rows = std::move(rows);
    return d;
  }

  // The header and the preference block only.
  std::string PrefBlockBytes() const {
    std::string out = ShortString(header) + Long(static_cast<std::int32_t>(prefNumbers.size()));
    for (const auto& n : prefNumbers) out += ShortString(n);
    out += Long(static_cast<std::int32_t>(prefStrings.size()));
    for (const auto& s : prefStrings) out += ShortString(s);
    return out;
  }

  std::string Bytes() const {
    std::string out = PrefBlockBytes();
    for (const auto& c : columns) out += Long(c.info) + LongString(c.name);
    for (const auto& c : columns) out += Long(c.colour);
    for (const auto& row : rows) {
      for (const auto& cell : row) out += LongString(cell);
    }
    return out;
  }
};

// The legacy preference file: a header, counted numbers as decimal text,
// counted strings of which entries 17 to 19 are long strings.
inline std::string PrefFileBytes(const std::vector<std::string>& numbers,
                                 const std::vector<std::string>& strings) {
  std::string bytes = ShortString("h") + Long(static_cast<std::int32_t>(numbers.size()));
  for (const auto& number : numbers) bytes += ShortString(number);
  bytes += Long(static_cast<std::int32_t>(strings.size()));
  for (std::size_t i = 0; i < strings.size(); ++i)
    bytes += i >= 17 && i <= 19 ? LongString(strings[i]) : ShortString(strings[i]);
  return bytes;
}

// 32 bytes: type, creator, Finder flags, the rest zero.
inline std::string FinderInfoBytes(std::string_view type, std::string_view creator,
                                   std::uint16_t flags = 0) {
  std::string info = (std::string(type) + "    ").substr(0, 4) +
                     (std::string(creator) + "    ").substr(0, 4) + BE16(flags);
  info.resize(32, '\0');
  return info;
}

// Samba's AFP_AfpInfo stream: 60 bytes, "AFP\0", the Finder info at 16.
inline std::string AfpInfoBytes(const std::string& finderInfo) {
  std::string info = std::string("AFP\0", 4) + BE32(0x00010000) + BE32(0) + BE32(0x80000000);
  (info += finderInfo).resize(60, '\0');
  return info;
}

// An AppleDouble file with the entries (ID, bytes) in the order given.
inline std::string AppleDoubleBytes(
    const std::vector<std::pair<std::uint32_t, std::string>>& entries,
    const std::string& filler = "Mac OS X", std::uint32_t version = 0x00020000) {
  std::string out = BE32(0x00051607) + BE32(version) +
                    (filler + std::string(16, ' ')).substr(0, 16) +
                    BE16(static_cast<std::uint16_t>(entries.size()));
  std::string body;
  for (const auto& [id, bytes] : entries) {
    out += BE32(id) + BE32(static_cast<std::uint32_t>(26 + 12 * entries.size() + body.size())) +
           BE32(static_cast<std::uint32_t>(bytes.size()));
    body += bytes;
  }
  return out + body;
}

// A sidecar: the Finder info first (at 50 with a fork, at 38 without), then
// the resource fork when there is one.
inline std::string SidecarBytes(const std::optional<std::string>& resourceFork,
                                std::string_view type = "Tavr", std::string_view creator = "qZt5",
                                std::uint16_t flags = 0) {
  std::vector<std::pair<std::uint32_t, std::string>> entries = {
      {9, FinderInfoBytes(type, creator, flags)}};
  if (resourceFork) entries.emplace_back(2, *resourceFork);
  return AppleDoubleBytes(entries);
}

// A classic resource fork holding the resources (type, ID, bytes), one type
// entry each (the Resource Manager accepts repeated types).
struct Resource {
  std::string type;  // four bytes
  std::int16_t id;
  std::string data;
};

inline std::string ResourceForkBytes(const std::vector<Resource>& resources) {
  const auto count = static_cast<std::uint16_t>(resources.size());
  std::string data, types, references;
  for (std::uint16_t i = 0; i < count; ++i) {
    types += resources[i].type.substr(0, 4) + BE16(0) + BE16(2 + 8 * count + 12 * i);
    // ID, no name, attributes 0 and a 24-bit data offset, handle.
    references += BE16(resources[i].id) + BE16(0xFFFF) + BE32(data.size()) + BE32(0);
    data += LongString(resources[i].data);
  }
  const std::string map = std::string(16, '\0') + BE32(0) + BE16(0) + BE16(0) + BE16(28) +
                          BE16(30 + 20 * count) + BE16(count - 1) + types + references;
  std::string fork = BE32(256) + BE32(256 + data.size()) + BE32(data.size()) + BE32(map.size());
  fork.resize(256, '\0');
  return fork + data + map;
}

// A fork holding one 'WPos' 128 resource: left, top, width, height by TAB.
inline std::string WPosFork(std::string_view text = "30\t60\t700\t500") {
  return ResourceForkBytes({{"WPos", 128, std::string(text)}});
}

// "._NAME" beside `document`.
inline std::filesystem::path SidecarPath(const std::filesystem::path& document) {
  return document.parent_path() / ("._" + document.filename().string());
}

// A document's data fork and its sidecar (type "Tavr", creator "qZt5", and
// the resource fork when given).
inline void WriteDocument(const std::filesystem::path& path, const std::string& dataFork,
                          const std::optional<std::string>& resourceFork = std::nullopt) {
  WriteBytes(path, dataFork);
  WriteBytes(SidecarPath(path), SidecarBytes(resourceFork));
}

// The document, then a cell that claims `length` bytes, with its sidecar: a
// sparse file, which costs no disk.
inline void WriteClaimingDocument(const std::filesystem::path& path, const Document& document,
                                  std::int32_t length) {
  const std::string bytes = document.Bytes() + Long(length);
  WriteDocument(path, bytes);
  std::filesystem::resize_file(path, bytes.size() + static_cast<std::uint64_t>(length));
}

// A sidecar whose resource fork claims nearly 4 GiB, as a sparse file.
inline void WriteClaimingSidecar(const std::filesystem::path& path) {
  std::string bytes = SidecarBytes(WPosFork());
  bytes.replace(26 + 12 + 8, 4, BE32(0xFFFFFF00));  // the fork entry's length
  std::filesystem::create_directories(path.parent_path());
  WriteBytes(path, bytes);
  std::filesystem::resize_file(path, 26 + 24 + 32 + 0xFFFFFF00ull);
}

#ifdef TAVR_TEST_DATA_DIR
// A sidecar written on a real Mac, in tests/data/mac-metadata.
inline std::filesystem::path RealSidecar(const std::string& name) {
  return std::filesystem::path(TAVR_TEST_DATA_DIR) / "mac-metadata" / name;
}
#endif

}  // namespace mac_bytes
