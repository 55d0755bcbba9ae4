#pragma once
// Composes legacy list documents byte by byte, and the AppleDouble sidecar
// ("._NAME") that carries a document's Finder info and its 'WPos' resource.
// Shared by the conversion tests, the bench's document generator and the
// fuzz target, so that all three build documents the same way.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace legacy {

// Big-endian Int32.
inline void AppendLong(std::string& out, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

inline std::string Long(std::int32_t value) {
  std::string out;
  AppendLong(out, value);
  return out;
}

inline void AppendShort(std::string& out, std::int32_t value) {
  const auto v = static_cast<std::uint16_t>(value);
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v & 0xFF));
}

// One length byte, then the bytes; longer text is a mistake in the test.
inline void AppendShortString(std::string& out, std::string_view text) {
  if (text.size() > 255) throw std::invalid_argument("short string longer than 255 bytes");
  out.push_back(static_cast<char>(text.size()));
  out.append(text);
}

inline std::string ShortString(std::string_view text) {
  std::string out;
  AppendShortString(out, text);
  return out;
}

// An Int32 length, then the bytes.
inline void AppendLongString(std::string& out, std::string_view text) {
  AppendLong(out, static_cast<std::int32_t>(text.size()));
  out.append(text);
}

// Shift-JIS words (the bytes the legacy application stored), with their text.
struct SjisWord {
  const char* sjis;
  const char* utf8;
};
inline constexpr SjisWord kSjisWords[] = {
    {"\x93\xFA\x96\x7B\x8C\xEA", "日本語"},
    {"\x93\x8C\x8B\x9E\x93\x73", "東京都"},
    {"\x82\xE8\x82\xF1\x82\xB2", "りんご"},
    {"\x89\xEF\x8B\x63\x8E\xBA\x82\xCC\x97\x5C\x96\xF1", "会議室の予約"},
    {"\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0", "株式会社"},
    {"\xB6\xC0\xB6\xC5", "ｶﾀｶﾅ"},
    {"\x95\x5C", "表"},  // second byte 0x5C, the ASCII backslash
    {"\x83\x5C", "ソ"},
};

struct Column {
  std::int32_t info = 0;
  std::string name;  // Shift-JIS bytes
  std::int32_t colour = 0;
};

// A whole document. The counts written are the sizes of the lists; the column
// and row counts the converter uses are preference numbers 1 and 2, which
// WithTable keeps in step with `columns` and `rows`.
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

  // Header and preference block only.
  std::string PrefBlockBytes() const {
    std::string out;
    AppendShortString(out, header);
    AppendLong(out, static_cast<std::int32_t>(prefNumbers.size()));
    for (const auto& n : prefNumbers) AppendShortString(out, n);
    AppendLong(out, static_cast<std::int32_t>(prefStrings.size()));
    for (const auto& s : prefStrings) AppendShortString(out, s);
    return out;
  }

  std::string Bytes() const {
    std::string out = PrefBlockBytes();
    for (const auto& c : columns) {
      AppendLong(out, c.info);
      AppendLongString(out, c.name);
    }
    for (const auto& c : columns) AppendLong(out, c.colour);
    for (const auto& row : rows) {
      for (const auto& cell : row) AppendLongString(out, cell);
    }
    return out;
  }
};

// A classic resource fork holding the given resources (type, ID, bytes).
struct Resource {
  std::string type;  // four bytes
  std::int16_t id;
  std::string data;
};

inline std::string ResourceForkBytes(const std::vector<Resource>& resources) {
  std::string data;
  std::vector<std::uint32_t> offsets;
  for (const auto& r : resources) {
    offsets.push_back(static_cast<std::uint32_t>(data.size()));
    AppendLongString(data, r.data);
  }
  // One type entry per resource keeps the builder simple; the Resource
  // Manager accepts repeated types.
  std::string map(16, '\0');  // header copy, left zero
  AppendLong(map, 0);         // next map handle
  AppendShort(map, 0);        // file reference
  AppendShort(map, 0);        // attributes
  AppendShort(map, 28);       // type list offset
  const auto typeCount = static_cast<std::int32_t>(resources.size());
  const std::int32_t nameListOffset = 28 + 2 + 8 * typeCount + 12 * typeCount;
  AppendShort(map, nameListOffset);
  AppendShort(map, typeCount - 1);  // 0xFFFF for none
  for (std::int32_t i = 0; i < typeCount; ++i) {
    map.append(resources[i].type.substr(0, 4));
    AppendShort(map, 0);                           // one resource of this type
    AppendShort(map, 2 + 8 * typeCount + 12 * i);  // from the type list's start
  }
  for (std::int32_t i = 0; i < typeCount; ++i) {
    AppendShort(map, resources[i].id);
    AppendShort(map, -1);  // no name
    const std::uint32_t offset = offsets[i];
    map.push_back('\0');  // attributes
    map.push_back(static_cast<char>((offset >> 16) & 0xFF));
    map.push_back(static_cast<char>((offset >> 8) & 0xFF));
    map.push_back(static_cast<char>(offset & 0xFF));
    AppendLong(map, 0);  // handle
  }
  std::string fork;
  const std::int32_t dataOffset = 256;
  const auto mapOffset = static_cast<std::int32_t>(dataOffset + data.size());
  AppendLong(fork, dataOffset);
  AppendLong(fork, mapOffset);
  AppendLong(fork, static_cast<std::int32_t>(data.size()));
  AppendLong(fork, static_cast<std::int32_t>(map.size()));
  fork.resize(dataOffset, '\0');
  fork += data;
  fork += map;
  return fork;
}

// A fork holding one 'WPos' 128 resource: left, top, width, height by TAB.
inline std::string WPosFork(std::string_view text) {
  return ResourceForkBytes({{"WPos", 128, std::string(text)}});
}

// An AppleDouble file: Finder info with the type and creator codes, then the
// resource fork when there is one.
inline std::string AppleDoubleBytes(const std::optional<std::string>& resourceFork,
                                    std::string_view type = "Tavr",
                                    std::string_view creator = "qZt5") {
  std::string finderInfo(32, '\0');
  finderInfo.replace(0, 4, std::string(type.substr(0, 4)));
  finderInfo.replace(4, 4, std::string(creator.substr(0, 4)));
  const std::int32_t entries = resourceFork ? 2 : 1;
  const std::int32_t finderOffset = 26 + 12 * entries;
  std::string out;
  AppendLong(out, 0x00051607);
  AppendLong(out, 0x00020000);
  out.append(16, '\0');
  AppendShort(out, entries);
  AppendLong(out, 9);  // Finder info
  AppendLong(out, finderOffset);
  AppendLong(out, 32);
  if (resourceFork) {
    AppendLong(out, 2);  // resource fork
    AppendLong(out, finderOffset + 32);
    AppendLong(out, static_cast<std::int32_t>(resourceFork->size()));
  }
  out += finderInfo;
  if (resourceFork) out += *resourceFork;
  return out;
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

// The sidecar path of `document`: "._NAME" beside it.
inline std::filesystem::path SidecarPath(const std::filesystem::path& document) {
  return document.parent_path() / ("._" + document.filename().string());
}

// Writes a document's data fork and its sidecar (type "Tavr", creator "qZt5",
// and the resource fork when given).
inline void WriteDocument(const std::filesystem::path& path, std::string_view dataFork,
                          const std::optional<std::string>& resourceFork = std::nullopt) {
  WriteBytes(path, dataFork);
  WriteBytes(SidecarPath(path), AppleDoubleBytes(resourceFork));
}

}  // namespace legacy
