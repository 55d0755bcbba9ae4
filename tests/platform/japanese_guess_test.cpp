// The Japanese-encoding guess on the short texts it is made for.

#include <gtest/gtest.h>

#include <string>

#include "platform/text_encoding.h"

namespace {
TEST(JapaneseGuessTest, ShortTexts) {
  const TextEncoding* const utf8 = Encodings::UTF8();
  const TextEncoding* const utf16 = Encodings::UTF16();
  const TextEncoding* const sjis = Encodings::ShiftJIS();
  const TextEncoding* const euc = GetTextEncoding(0x0920);
  const TextEncoding* const jis = GetTextEncoding(0x0820);
  const struct {
    const char* name;
    std::string text;
    const TextEncoding* guess;  // nullptr: unsure
  } rows[] = {
      {"empty", "", nullptr},
      {"ASCII", "Hello, list", nullptr},
      {"UTF-16 big-endian mark", "\xFE\xFF\x30\x4B\x30\x6A", utf16},
      {"UTF-16 without mark, latin and kana", std::string("\0a\x30\x4B", 4), utf16},
      {"UTF-16 without mark, kana only: 7-bit bytes", "\x30\x4B\x30\x6A", nullptr},
      {"NUL in an odd length", std::string("ab\0", 3), nullptr},
      {"ISO-2022-JP kanji", "\x1B$B4A;z\x1B(B", jis},
      {"UTF-8 kana", "\xE3\x81\x8B\xE3\x81\xAA", utf8},
      {"UTF-8 whose bytes all read as half-width katakana", "caf\xC3\xA9", sjis},
      {"UTF-8 cut short, read as two kanji", "\xE3\x81\x8B\xE3", sjis},
      {"Shift_JIS kana after ASCII", "abc\x82\xA9\x82\xC8", sjis},
      {"Mac OS Japanese additions", "\x80\xFD\x87\x91", sjis},
      {"EUC-JP kanji", "\xB4\xC1\xBB\xFA", euc},
      {"EUC-JP JIS X 0212", "\x8F\xB0\xE1", euc},
      {"lone lead byte", "\x82", nullptr},
      {"lead byte before a byte that cannot trail", "\x85\x3F\x80", nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const TextEncoding* guess = GuessJapaneseEncoding(row.text);
    EXPECT_EQ(guess, row.guess) << (guess ? guess->internetName() : "unsure");
  }
}
}  // namespace
