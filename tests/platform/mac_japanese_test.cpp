// Mac OS Japanese against the published table, read here on its own (not
// through the generator), in both directions.

#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <cstdint>
#include <fstream>
#include <random>
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

// Outside the table: controls are themselves, and the user-defined range maps
// onto private use in code order.
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

// Both decoders (the direct one to UTF-8 and the general one to UTF-16).
TEST_F(MacJapaneseTest, BytesThatAreNoCharacterReadAsReplacement) {
  const struct {
    const char* name;
    std::string bytes, utf8;
  } rows[] = {
      // clang-format off
      {"lead byte at the end", "a\x82", "a\uFFFD"},
      {"lead byte before ASCII keeps the ASCII", "\x82" "A", "\uFFFD" "A"},
      {"lead byte before DEL keeps the DEL", "\x82\x7F", "\uFFFD\x7F"},
      {"unmapped pair with a high trail is one", "\xEE\x80" "b", "\uFFFD" "b"},
      {"unmapped pair with an ASCII trail", "\xEF\x41", "\uFFFD" "A"},
      {"trail byte beyond 0xFC", "\x82\xFD", "\uFFFD\u00A9"},
      {"unmapped pair of lead-range bytes", "\x83\xFC\xA0", "\uFFFD\u00A0"},
      {"lone lead after a sequence", "\x87\x91\x87", "\u5927\u20DD\uFFFD"},
      // clang-format on
  };
  auto utf8ToUtf16 = GetTextConverter(Encodings::UTF8(), Encodings::UTF16());
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(decode(row.bytes), row.utf8);
    EXPECT_EQ(toUtf16_->convert(row.bytes), utf8ToUtf16->convert(row.utf8));
  }
}

TEST_F(MacJapaneseTest, EncodingTakesTheLongestSequence) {
  const struct {
    const char* name;
    std::string utf8, bytes;
  } rows[] = {
      {"yen sign and backslash", "\u00A5\\", "\x5C\x80"},
      {"ellipsis with its variant tag", "\u2026\uF87F", "\xFF"},
      {"roman numeral thirteen", "\uF862XIII", "\x85\xAB"},
      {"grouping hint cut short", "\uF862XII", "?XII"},
      {"variant tag alone", "\uF87F", "?"},
      {"circled ideograph then plain", "\u5927\u20DD\u5927", "\x87\x91\x91\xE5"},
      {"character beyond the BMP", "\U0001F600!", "?!"},
      {"invalid UTF-8 is replaced, then held by nothing", "\xC0\xAF", "??"},
  };
  for (const auto& row : rows) EXPECT_EQ(encode(row.utf8), row.bytes) << row.name;
}

// The direct path to UTF-8 must read exactly as the general decoder does
// (reached here through UTF-16), on text that mixes every kind of byte and
// puts ASCII runs and the yen byte at every alignment.
TEST_F(MacJapaneseTest, DirectPathAgreesWithGeneralDecoder) {
  auto fromUtf16 = GetTextConverter(Encodings::UTF16(), Encodings::UTF8());
  std::mt19937 random(20240229);
  const std::string pieces[] = {"abcdefghijk", "\\",   "\x82\xA9", "\x87\x91", "\xB6",  "\x82",
                                "\xEE\x80",    "\xF0\x40", "\x80", "\xFF", "\x85\xAB", "12345678"};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int i = static_cast<int>(random() % 24); i > 0; --i) {
      text += pieces[random() % std::size(pieces)];
    }
    if (random() % 4 == 0) text.push_back(static_cast<char>(random() & 0xFF));
    ASSERT_EQ(decode(text), fromUtf16->convert(toUtf16_->convert(text)))
        << testing::PrintToString(text);
  }
}

}  // namespace
