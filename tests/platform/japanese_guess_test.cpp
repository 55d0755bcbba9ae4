// The Japanese-encoding guess on the short texts it is made for.

#include "platform/japanese_guess.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text_encoding.h"

namespace {

struct Row {
  const char* name;
  std::string text;
  const char* internetName;  // nullptr: unsure
};

const Row kRows[] = {
    {"empty", "", nullptr},
    {"ASCII", "Hello, list", nullptr},
    {"UTF-16 big-endian mark", "\xFE\xFF\x30\x4B\x30\x6A", "UTF-16"},
    {"UTF-16 little-endian mark", "\xFF\xFE\x4B\x30", "UTF-16"},
    {"UTF-16 mark before an odd length", "\xFE\xFF\x30", "UTF-16"},
    {"UTF-16 without mark, ASCII", std::string("\0A\0B", 4), "UTF-16"},
    {"UTF-16 without mark, latin and kana", std::string("\0a\x30\x4B", 4), "UTF-16"},
    {"UTF-16 without mark, kana only: 7-bit bytes", "\x30\x4B\x30\x6A", nullptr},
    {"NUL in an odd length", std::string("ab\0", 3), nullptr},
    {"ISO-2022-JP kanji", "\x1B$B4A;z\x1B(B", "ISO-2022-JP"},
    {"ISO-2022-JP kana and ASCII", "ID \x1B$B$+$J\x1B(B", "ISO-2022-JP"},
    {"UTF-8 kana", "\xE3\x81\x8B\xE3\x81\xAA", "UTF-8"},
    {"UTF-8 kanji with ASCII", "No.\xE6\xBC\xA2\xE5\xAD\x97", "UTF-8"},
    {"UTF-8 whose bytes all read as half-width katakana", "caf\xC3\xA9", "Shift_JIS"},
    {"UTF-8 cut short, read as two kanji", "\xE3\x81\x8B\xE3", "Shift_JIS"},
    {"Shift_JIS kana", "\x82\xA9\x82\xC8", "Shift_JIS"},
    {"Shift_JIS kanji", "\x8A\xBF\x8E\x9A", "Shift_JIS"},
    {"Shift_JIS kana after ASCII", "abc\x82\xA9\x82\xC8", "Shift_JIS"},
    {"half-width katakana", "\xB6\xC5", "Shift_JIS"},
    {"Mac OS Japanese additions", "\x80\xFD\x87\x91", "Shift_JIS"},
    {"user-defined character", "\xF0\x40", "Shift_JIS"},
    {"EUC-JP kanji", "\xB4\xC1\xBB\xFA", "EUC-JP"},
    {"EUC-JP kana reads as half-width katakana", "\xA4\xAB\xA4\xCA", "Shift_JIS"},
    {"EUC-JP JIS X 0212", "\x8F\xB0\xE1", "EUC-JP"},
    {"lone lead byte", "\x82", nullptr},
    {"unmapped pair, EUC-JP cut short", "\xEF\xA1\xEF", nullptr},
    {"lead byte before a byte that cannot trail", "\x85\x3F\x80", nullptr},
    // Longer texts: runs of ASCII are skipped, and once only Mac OS Japanese
    // is in question the rest is read by characters.
    {"ASCII run, then kana", "ID-0001 note: \x82\xA9\x82\xC8", "Shift_JIS"},
    {"ASCII run, then ESC", "abcdefghij\x1B", "ISO-2022-JP"},
    {"ESC inside an ASCII run", "abc\x1B" "defghijk", "ISO-2022-JP"},
    {"NUL inside an ASCII run", std::string("abcdefgh\0abcdefg", 16), "UTF-16"},
    {"NUL after kanji", std::string("\x8A\xBF\0a", 4), "UTF-16"},
    {"NUL after a byte that cannot trail", std::string("\x85\x3F\0a", 4), "UTF-16"},
    {"unmapped pair whose trail is ASCII, before an ASCII run", "\x82" "ABCDEFGHIJ", nullptr},
    {"full-width digit, then an ASCII run", "\x82\x4F" "ABCDEFGHIJ", "Shift_JIS"},
    {"UTF-8 after an ASCII run", "Tavrin list \xE3\x81\x8B", "UTF-8"},
};

TEST(JapaneseGuessTest, ShortTexts) {
  for (const Row& row : kRows) {
    const TextEncoding* guess = GuessJapaneseEncoding(row.text);
    if (row.internetName == nullptr) {
      EXPECT_EQ(guess, nullptr) << row.name << ": " << guess->internetName();
    } else {
      ASSERT_NE(guess, nullptr) << row.name;
      EXPECT_EQ(guess->internetName(), row.internetName) << row.name;
    }
  }
}

TEST(JapaneseGuessTest, AnswersTheFixedEncodings) {
  EXPECT_EQ(GuessJapaneseEncoding("\x82\xA9"), Encodings::ShiftJIS());
  EXPECT_EQ(GuessJapaneseEncoding("\xE3\x81\x8B"), Encodings::UTF8());
  EXPECT_EQ(GuessJapaneseEncoding("\xFE\xFF"), Encodings::UTF16());
  EXPECT_EQ(GuessJapaneseEncoding("\xB4\xC1\xBB\xFA"), GetTextEncoding(0x0920));
  EXPECT_EQ(GuessJapaneseEncoding("\x1B"), GetTextEncoding(0x0820));
}

}  // namespace
