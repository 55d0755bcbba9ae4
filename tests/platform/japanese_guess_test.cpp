// The Japanese-encoding guess on the short texts it is made for.

#include "platform/japanese_guess.h"

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
      {"UTF-16 little-endian mark", "\xFF\xFE\x4B\x30", utf16},
      {"UTF-16 mark before an odd length", "\xFE\xFF\x30", utf16},
      {"UTF-16 without mark, ASCII", std::string("\0A\0B", 4), utf16},
      {"UTF-16 without mark, latin and kana", std::string("\0a\x30\x4B", 4), utf16},
      {"UTF-16 without mark, kana only: 7-bit bytes", "\x30\x4B\x30\x6A", nullptr},
      {"NUL in an odd length", std::string("ab\0", 3), nullptr},
      {"ISO-2022-JP kanji", "\x1B$B4A;z\x1B(B", jis},
      {"ISO-2022-JP kana and ASCII", "ID \x1B$B$+$J\x1B(B", jis},
      {"UTF-8 kana", "\xE3\x81\x8B\xE3\x81\xAA", utf8},
      {"UTF-8 kanji with ASCII", "No.\xE6\xBC\xA2\xE5\xAD\x97", utf8},
      {"UTF-8 whose bytes all read as half-width katakana", "caf\xC3\xA9", sjis},
      {"UTF-8 cut short, read as two kanji", "\xE3\x81\x8B\xE3", sjis},
      {"Shift_JIS kana", "\x82\xA9\x82\xC8", sjis},
      {"Shift_JIS kanji", "\x8A\xBF\x8E\x9A", sjis},
      {"Shift_JIS kana after ASCII", "abc\x82\xA9\x82\xC8", sjis},
      {"half-width katakana", "\xB6\xC5", sjis},
      {"Mac OS Japanese additions", "\x80\xFD\x87\x91", sjis},
      {"user-defined character", "\xF0\x40", sjis},
      {"EUC-JP kanji", "\xB4\xC1\xBB\xFA", euc},
      {"EUC-JP kana reads as half-width katakana", "\xA4\xAB\xA4\xCA", sjis},
      {"EUC-JP JIS X 0212", "\x8F\xB0\xE1", euc},
      {"lone lead byte", "\x82", nullptr},
      {"unmapped pair, EUC-JP cut short", "\xEF\xA1\xEF", nullptr},
      {"lead byte before a byte that cannot trail", "\x85\x3F\x80", nullptr},
      // Longer texts: runs of ASCII are skipped, and once only Mac OS Japanese
      // is in question the rest is read by characters.
      {"ASCII run, then kana", "ID-0001 note: \x82\xA9\x82\xC8", sjis},
      {"ASCII run, then ESC", "abcdefghij\x1B", jis},
      {"ESC inside an ASCII run", "abc\x1B" "defghijk", jis},
      {"NUL inside an ASCII run", std::string("abcdefgh\0abcdefg", 16), utf16},
      {"NUL after kanji", std::string("\x8A\xBF\0a", 4), utf16},
      {"NUL after a byte that cannot trail", std::string("\x85\x3F\0a", 4), utf16},
      {"unmapped pair whose trail is ASCII, before an ASCII run", "\x82" "ABCDEFGHIJ", nullptr},
      {"full-width digit, then an ASCII run", "\x82\x4F" "ABCDEFGHIJ", sjis},
      {"UTF-8 after an ASCII run", "Tavrin list \xE3\x81\x8B", utf8},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const TextEncoding* guess = GuessJapaneseEncoding(row.text);
    EXPECT_EQ(guess, row.guess) << (guess ? guess->internetName() : "unsure");
  }
}

}  // namespace
