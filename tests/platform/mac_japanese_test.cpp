// Mac OS Japanese against the published table, read here on its own (not
// through the generator), in both directions.

#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text_encoding.h"

namespace {
struct TableEntry {
  std::string bytes;
  std::u32string points;
};

std::vector<TableEntry> ReadPublishedTable() {
  std::ifstream file(TAVR_MAC_JAPANESE_TABLE);
  std::vector<TableEntry> entries;
  for (std::string line; std::getline(file, line);) {
    std::istringstream columns(line.substr(0, line.find('#')));
    std::string code, sequence;
    if (!(columns >> code >> sequence)) continue;
    TableEntry entry;
    const unsigned long value = std::stoul(code, nullptr, 16);
    if (value > 0xFF) entry.bytes.push_back(static_cast<char>(value >> 8));
    entry.bytes.push_back(static_cast<char>(value & 0xFF));
    std::istringstream points(sequence);
    for (std::string point; std::getline(points, point, '+');) {
      entry.points.push_back(static_cast<char32_t>(std::stoul(point, nullptr, 16)));
    }
    entries.push_back(entry);
  }
  return entries;
}

icu::UnicodeString Unicode(const std::u32string& points) {
  return icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(points.data()),
                                       static_cast<int32_t>(points.size()));
}
std::string Utf8Of(const std::u32string& points) {
  std::string out;
  return Unicode(points).toUTF8String(out);
}
std::string Utf16BeOf(const std::u32string& points) {
  const icu::UnicodeString units = Unicode(points);
  std::string out;
  for (int32_t i = 0; i < units.length(); ++i) out += {char(units[i] >> 8), char(units[i] & 0xFF)};
  return out;
}

class MacJapaneseTest : public ::testing::Test {
 protected:
  std::string decode(const std::string& bytes) { return toUtf8_->convert(bytes); }
  std::string encode(const std::string& utf8) { return fromUtf8_->convert(utf8); }
  const TextEncoding* mac_ = Encodings::MacJapanese();
  std::unique_ptr<TextConverter> toUtf8_ = GetTextConverter(mac_, Encodings::UTF8());
  std::unique_ptr<TextConverter> fromUtf8_ = GetTextConverter(Encodings::UTF8(), mac_);
  std::unique_ptr<TextConverter> toUtf16_ = GetTextConverter(mac_, Encodings::UTF16());
  std::unique_ptr<TextConverter> fromUtf16_ = GetTextConverter(Encodings::UTF16(), mac_);
};

// Each entry alone, then the whole table as one text: neighbours must not
// change how an entry reads (a sequence is matched whole, and a code point
// that begins one is still mapped alone).
TEST_F(MacJapaneseTest, EveryEntryConvertsBothWaysAloneAndInOneText) {
  const auto entries = ReadPublishedTable();
  ASSERT_EQ(entries.size(), 7355u);
  std::size_t sequences = 0;
  std::string bytes;
  std::u32string points;
  for (const auto& entry : entries) {
    SCOPED_TRACE(testing::PrintToString(entry.bytes));
    EXPECT_EQ(decode(entry.bytes), Utf8Of(entry.points));
    EXPECT_EQ(toUtf16_->convert(entry.bytes), Utf16BeOf(entry.points));
    EXPECT_EQ(encode(Utf8Of(entry.points)), entry.bytes);
    EXPECT_EQ(fromUtf16_->convert(Utf16BeOf(entry.points)), entry.bytes);
    sequences += entry.points.size() > 1;
    bytes += entry.bytes;
    points += entry.points;
  }
  EXPECT_EQ(sequences, 56u);
  EXPECT_EQ(decode(bytes), Utf8Of(points));
  EXPECT_EQ(encode(Utf8Of(points)), bytes);
}

// Controls are themselves; the user-defined range maps onto private use in order.
TEST_F(MacJapaneseTest, ControlsAndTheUserDefinedRange) {
  std::string bytes;
  std::u32string points;
  for (char32_t code = 0; code < 0x20; ++code) points.push_back(code);
  points.push_back(0x7F);
  for (char32_t code : points) bytes.push_back(static_cast<char>(code));
  char32_t next = 0xE000;
  for (int lead = 0xF0; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      bytes += {static_cast<char>(lead), static_cast<char>(trail)};
      points.push_back(next++);
    }
  }
  ASSERT_EQ(next, 0xE98Cu);
  EXPECT_EQ(decode(bytes), Utf8Of(points));
  EXPECT_EQ(encode(Utf8Of(points)), bytes);
}

// Bytes that are no character read as U+FFFD; encoding takes the longest
// sequence, and what has no code becomes "?".
TEST_F(MacJapaneseTest, ReplacementsAndTheLongestSequence) {
  const std::pair<std::string, std::string> decoded[] = {
      {"a\x82", "a\uFFFD"},  // lead byte at the end
      {"\x82"
       "A",
       "\uFFFD"
       "A"},  // lead byte before ASCII keeps the ASCII
      {"\xEE\x80"
       "b",
       "\uFFFD"
       "b"},                                   // unmapped pair with a high trail is one
      {"\x82\xFD", "\uFFFD\u00A9"},            // trail byte beyond 0xFC
      {"\x87\x91\x87", "\u5927\u20DD\uFFFD"},  // lone lead after a sequence
  };
  for (const auto& [bytes, utf8] : decoded) {
    EXPECT_EQ(decode(bytes), utf8) << testing::PrintToString(bytes);
  }
  const std::pair<std::string, std::string> encoded[] = {
      {"\u00A5\\", "\x5C\x80"},                    // yen sign and backslash
      {"\u2026\uF87F", "\xFF"},                    // ellipsis with its variant tag
      {"\uF862XIII", "\x85\xAB"},                  // roman numeral thirteen
      {"\uF862XII", "?XII"},                       // grouping hint cut short
      {"\uF87F", "?"},                             // variant tag alone
      {"\u5927\u20DD\u5927", "\x87\x91\x91\xE5"},  // circled ideograph then plain
      {"\U0001F600!", "?!"},                       // beyond the BMP
      {"\xC0\xAF", "??"},                          // invalid UTF-8, then held by nothing
  };
  for (const auto& [utf8, bytes] : encoded) {
    EXPECT_EQ(encode(utf8), bytes) << testing::PrintToString(utf8);
  }
}
}  // namespace
