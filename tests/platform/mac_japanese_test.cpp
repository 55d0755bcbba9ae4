// Mac OS Japanese against the published table, read here on its own (not
// through the generator), in both directions.

#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/text_encoding.h"

namespace {

const auto kToUtf8 = GetTextConverter(Encodings::MacJapanese(), Encodings::UTF8());
const auto kFromUtf8 = GetTextConverter(Encodings::UTF8(), Encodings::MacJapanese());

// Each entry alone, then the whole table as one text: neighbours must not
// change how an entry reads (a sequence is matched whole, and a code point
// that begins one is still mapped alone). Besides the entries, the controls
// are themselves and the user-defined range maps onto private use in order.
TEST(MacJapanese, EveryEntryConvertsBothWaysAloneAndInOneText) {
  std::ifstream table(TAVR_MAC_JAPANESE_TABLE);
  std::string allBytes, allText;
  int entries = 0;
  for (std::string line; std::getline(table, line);) {
    std::istringstream columns(line.substr(0, line.find('#')));
    std::string code, sequence;
    if (!(columns >> code >> sequence)) continue;
    const unsigned long value = std::stoul(code, nullptr, 16);
    std::string bytes(value > 0xFF ? 1 : 0, static_cast<char>(value >> 8));
    bytes += static_cast<char>(value & 0xFF);
    icu::UnicodeString points;
    std::istringstream parts(sequence);
    for (std::string part; std::getline(parts, part, '+');)
      points.append(static_cast<UChar32>(std::stoul(part, nullptr, 16)));
    std::string text;
    points.toUTF8String(text);
    EXPECT_EQ(kToUtf8->convert(bytes), text) << code;
    EXPECT_EQ(kFromUtf8->convert(text), bytes) << code;
    // The csv writer quotes a Shift-JIS cell by its bytes: no code but the
    // comma and the double quote themselves (and the controls CR and LF,
    // below) reads as one of the four.
    EXPECT_EQ(text.find_first_of(",\"\r\n") == std::string::npos,
              bytes.find_first_of(",\"\r\n") == std::string::npos)
        << code;
    allBytes += bytes, allText += text, ++entries;
  }
  EXPECT_EQ(entries, 7355);
  icu::UnicodeString points;
  for (int code = 0; code < 0x20; ++code) allBytes += static_cast<char>(code), points.append(code);
  allBytes += '\x7F', points.append(0x7F);
  UChar32 next = 0xE000;
  for (int lead = 0xF0; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      allBytes += {static_cast<char>(lead), static_cast<char>(trail)};
      points.append(next++);
    }
  }
  points.toUTF8String(allText);
  EXPECT_EQ(next, 0xE98C);
  EXPECT_EQ(kToUtf8->convert(allBytes), allText);
  EXPECT_EQ(kFromUtf8->convert(allText), allBytes);
}

// Bytes that are no character read as U+FFFD; encoding takes the longest
// sequence, and what has no code becomes "?".
TEST(MacJapanese, ReplacementsAndTheLongestSequence) {
  const std::pair<std::string, std::string> decoded[] = {
      {"a\x82", "a\uFFFD"},                    // lead byte at the end
      {"\x82\x41", "\uFFFD\x41"},              // lead byte before ASCII keeps the ASCII
      {"\xEE\x80\x62", "\uFFFD\x62"},          // unmapped pair with a high trail is one
      {"\x87\x91\x87", "\u5927\u20DD\uFFFD"},  // lone lead after a sequence
      // From the first sequence on, the room is what the rest takes: the
      // longest sequence four times, eight unmapped pairs, the one-byte
      // sequence, another, a lone lead.
      {"ab\x87\xFB\x87\xFB\x87\xFB\x87\xFB"
       "\xEE\x80\xEE\x80\xEE\x80\xEE\x80\xEE\x80\xEE\x80\xEE\x80\xEE\x80"
       "\xFF\x85\xAB\x82",
       "ab\uF862\u6709\u9650\u4F1A\u793E\uF862\u6709\u9650\u4F1A\u793E"
       "\uF862\u6709\u9650\u4F1A\u793E\uF862\u6709\u9650\u4F1A\u793E"
       "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"
       "\u2026\uF87F\uF862XIII\uFFFD"},
  };
  for (const auto& [bytes, text] : decoded) EXPECT_EQ(kToUtf8->convert(bytes), text) << text;
  const std::pair<std::string, std::string> encoded[] = {
      {"\u00A5\\", "\x5C\x80"},                    // yen sign and backslash
      {"\u2026\uF87F", "\xFF"},                    // ellipsis with its variant tag
      {"\uF862XIII", "\x85\xAB"},                  // roman numeral thirteen
      {"\u5927\u20DD\u5927", "\x87\x91\x91\xE5"},  // circled ideograph then plain
      {"\U0001F600!", "?!"},                       // beyond the BMP
      {"\xC0\xAF", "??"},                          // invalid UTF-8, then held by nothing
  };
  for (const auto& [text, bytes] : encoded) EXPECT_EQ(kFromUtf8->convert(text), bytes) << text;
}

}  // namespace
