// What each pair writes, what becomes U+FFFD or "?", and the Japanese
// guess. That any bytes convert without failing is the fuzz target's.

#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/japanese_guess.h"

namespace {
const TextEncoding* const kUtf8 = Encodings::UTF8();
const TextEncoding* const kUtf16 = Encodings::UTF16();
const TextEncoding* const kSjis = Encodings::ShiftJIS();
const TextEncoding* const kMac = Encodings::MacJapanese();
const TextEncoding* const kEuc = GetTextEncoding(0x0920, 0, 0);
const TextEncoding* const kJis = GetTextEncoding(0x0820, 0, 0);

TEST(TextEncodingTest, ConvertsBetweenPairs) {
  const struct {
    const char* name;
    const TextEncoding *source, *target;
    std::string input, output;
  } rows[] = {
      {"UTF-16 out is big-endian without a mark", kUtf8, kUtf16, "A\u304B", {"\0A\x30\x4B", 4}},
      {"UTF-16 in, big-endian mark dropped", kUtf16, kUtf8, "\xFE\xFF\x30\x4B", "\u304B"},
      {"UTF-16 in, no mark reads big-endian", kUtf16, kUtf8, {"\0a\x30\x4B", 4}, "a\u304B"},
      {"UTF-16 in, odd byte left over", kUtf16, kUtf8, {"\0a\0", 3}, "a\uFFFD"},
      {"UTF-16 in, lone surrogate", kUtf16, kUtf8, {"\xD8\x3D\0a", 4}, "\uFFFDa"},
      {"UTF-8 in, surrogate", kUtf8, kMac, "\xED\xA0\x80\x61", "???a"},
      {"UTF-8 in, cut short before ASCII", kUtf8, kUtf16, "\xE3\x81\x61", {"\xFF\xFD\0a", 4}},
      {"UTF-8 to UTF-8 still checks", kUtf8, kUtf8, "a\xFF", "a\uFFFD"},
      {"UTF-8 out, each length at its bounds", kUtf16, kUtf8,
       std::string("\0\x7F\0\x80\x07\xFF\x08\0\xFF\xFF\xD8\0\xDC\0", 14),
       "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80"},
      {"Shift_JIS out, no latin letters", kUtf8, kSjis, "caf\u00E9", "caf?"},
      {"ISO-2022-JP out, unmappable in JIS mode", kUtf8, kJis, "\u6F22\U0001F600",
       "\x1B$B4A\x1B(B?"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto converter = GetTextConverter(row.source, row.target);
    ASSERT_NE(converter, nullptr);
    EXPECT_EQ(converter->convert(row.input), row.output);
  }
}

// The Japanese-encoding guess on the short texts it is made for.
TEST(JapaneseGuess, ShortTexts) {
  const struct {
    const char* name;
    std::string text;
    const TextEncoding* guess;  // nullptr: unsure
  } rows[] = {
      {"ASCII", "Hello, list", nullptr},
      {"UTF-16 big-endian mark", "\xFE\xFF\x30\x4B\x30\x6A", kUtf16},
      {"UTF-16 without mark, latin and kana", std::string("\0a\x30\x4B", 4), kUtf16},
      {"UTF-16 without mark, kana only: 7-bit bytes", "\x30\x4B\x30\x6A", nullptr},
      {"NUL in an odd length", std::string("ab\0", 3), nullptr},
      {"ISO-2022-JP kanji", "\x1B$B4A;z\x1B(B", kJis},
      {"UTF-8 kana", "\xE3\x81\x8B\xE3\x81\xAA", kUtf8},
      {"UTF-8 whose bytes all read as half-width katakana", "caf\xC3\xA9", kSjis},
      {"UTF-8 cut short, read as two kanji", "\xE3\x81\x8B\xE3", kSjis},
      {"Shift_JIS kana after ASCII", "abc\x82\xA9\x82\xC8", kSjis},
      {"Mac OS Japanese additions", "\x80\xFD\x87\x91", kSjis},
      {"EUC-JP kanji", "\xB4\xC1\xBB\xFA", kEuc},
      {"lead byte before a byte that cannot trail", "\x85\x3F\x80", nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const TextEncoding* guess = GuessJapaneseEncoding(row.text);
    EXPECT_EQ(guess, row.guess) << (guess ? guess->internetName() : "unsure");
  }
}
}  // namespace
