// The fixed encodings, and conversions through ICU and by hand: what each
// pair writes, what becomes U+FFFD or "?", and that no text leaks into the next.

#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf8.h"

namespace {

const TextEncoding* EucJp() { return GetTextEncoding(0x0920, 0, 0); }
const TextEncoding* Iso2022Jp() { return GetTextEncoding(0x0820, 0, 0); }

std::vector<const TextEncoding*> AllEncodings() {
  return {Encodings::UTF8(), Encodings::UTF16(), Encodings::MacJapanese(), Encodings::ShiftJIS(),
          EucJp(), Iso2022Jp()};
}

bool IsValidUtf8(const std::string& text) {
  Utf8Scanner scanner;
  for (char c : text) {
    const auto step = scanner.feed(static_cast<std::uint8_t>(c));
    if (step == Utf8Scanner::Step::Invalid || step == Utf8Scanner::Step::Retry) return false;
  }
  return !scanner.pending();
}

TEST(TextEncodingTest, FixedEncodingsAndTheirInternetNames) {
  struct Row {
    const TextEncoding* encoding;
    TextEncoding::Kind kind;
    const char* internetName;
  };
  const Row rows[] = {
      {Encodings::UTF8(), TextEncoding::Kind::UTF8, "UTF-8"},
      {Encodings::UTF16(), TextEncoding::Kind::UTF16, "UTF-16"},
      {Encodings::MacJapanese(), TextEncoding::Kind::MacJapanese, "x-mac-japanese"},
      {Encodings::ShiftJIS(), TextEncoding::Kind::ShiftJIS, "Shift_JIS"},
      {Encodings::SystemDefault(), TextEncoding::Kind::UTF8, "UTF-8"},
      {EucJp(), TextEncoding::Kind::EUCJP, "EUC-JP"},
      {Iso2022Jp(), TextEncoding::Kind::ISO2022JP, "ISO-2022-JP"},
  };
  for (const Row& row : rows) {
    ASSERT_NE(row.encoding, nullptr) << row.internetName;
    EXPECT_EQ(row.encoding->kind(), row.kind) << row.internetName;
    EXPECT_EQ(row.encoding->internetName(), row.internetName);
  }
  EXPECT_EQ(Encodings::MacJapanese(), Encodings::MacJapanese());
  EXPECT_EQ(EucJp(), GetTextEncoding(0x0920));
  EXPECT_EQ(GetTextEncoding(0x0001, 0, 0), nullptr);
  EXPECT_EQ(GetTextEncoding(0, 0, 0), nullptr);
}

TEST(TextEncodingTest, NoConverterWithoutBothEncodings) {
  EXPECT_EQ(GetTextConverter(nullptr, Encodings::UTF8()), nullptr);
  EXPECT_EQ(GetTextConverter(Encodings::UTF8(), nullptr), nullptr);
  for (const TextEncoding* source : AllEncodings()) {
    for (const TextEncoding* target : AllEncodings()) {
      EXPECT_NE(GetTextConverter(source, target), nullptr)
          << source->internetName() << " to " << target->internetName();
    }
  }
}

TEST(TextEncodingTest, ConvertsBetweenPairs) {
  struct Row {
    const char* name;
    const TextEncoding* source;
    const TextEncoding* target;
    std::string input;
    std::string output;
  };
  const auto* utf8 = Encodings::UTF8();
  const auto* utf16 = Encodings::UTF16();
  const auto* sjis = Encodings::ShiftJIS();
  const auto* mac = Encodings::MacJapanese();
  const Row rows[] = {
      {"UTF-16 out is big-endian without a mark", utf8, utf16, "A\u304B", std::string("\0A\x30\x4B", 4)},
      {"UTF-16 out, beyond the BMP", utf8, utf16, "\U0001F600", std::string("\xD8\x3D\xDE\x00", 4)},
      {"UTF-16 in, big-endian mark dropped", utf16, utf8, "\xFE\xFF\x30\x4B", "\u304B"},
      {"UTF-16 in, little-endian mark", utf16, utf8, "\xFF\xFE\x4B\x30", "\u304B"},
      {"UTF-16 in, no mark reads big-endian", utf16, utf8, std::string("\0a\x30\x4B", 4), "a\u304B"},
      {"UTF-16 in, odd byte left over", utf16, utf8, std::string("\0a\0", 3), "a\uFFFD"},
      {"UTF-16 in, lone surrogate", utf16, utf8, std::string("\xD8\x3D\0a", 4), "\uFFFDa"},
      {"UTF-8 in, overlong form", utf8, utf16, "\xC0\xAF", std::string("\xFF\xFD\xFF\xFD", 4)},
      {"UTF-8 in, surrogate", utf8, mac, "\xED\xA0\x80" "a", "???a"},
      {"UTF-8 in, cut short", utf8, utf16, "\xE3\x81", "\xFF\xFD"},
      {"UTF-8 in, cut short before ASCII", utf8, utf16, "\xE3\x81" "a", std::string("\xFF\xFD\0a", 4)},
      {"UTF-8 in, beyond U+10FFFF", utf8, utf16, "\xF4\x90\x80\x80", "\xFF\xFD\xFF\xFD\xFF\xFD\xFF\xFD"},
      {"UTF-8 to UTF-8 still checks", utf8, utf8, "a\xFF", "a\uFFFD"},
      {"Shift_JIS in", sjis, utf8, "\x82\xA9\x8A\xBF\xB6", "\u304B\u6F22\uFF76"},
      {"Shift_JIS in, lead byte at the end", sjis, utf8, "a\x82", "a\uFFFD"},
      {"Shift_JIS out, kana and kanji", utf8, sjis, "\u304B\u6F22", "\x82\xA9\x8A\xBF"},
      {"Shift_JIS out, no latin letters", utf8, sjis, "caf\u00E9", "caf?"},
      {"EUC-JP in", EucJp(), utf8, "\xB4\xC1\xBB\xFA", "\u6F22\u5B57"},
      {"EUC-JP in, cut short", EucJp(), utf8, "\xB4\xC1\xBB", "\u6F22\uFFFD"},
      {"EUC-JP out, beyond the BMP", utf8, EucJp(), "a\U0001F600", "a?"},
      {"ISO-2022-JP in", Iso2022Jp(), utf8, "\x1B$B4A;z\x1B(BA", "\u6F22\u5B57A"},
      {"ISO-2022-JP in, an 8-bit byte", Iso2022Jp(), utf8, "a\xA4" "b", "a\uFFFD" "b"},
      {"ISO-2022-JP out shifts back at the end", utf8, Iso2022Jp(), "\u6F22\u5B57", "\x1B$B4A;z\x1B(B"},
      {"ISO-2022-JP out, unmappable in JIS mode", utf8, Iso2022Jp(), "\u6F22\U0001F600",
       "\x1B$B4A\x1B(B?"},
      {"Mac OS Japanese sequence to UTF-16", mac, utf16, "\x87\x91", "\x59\x27\x20\xDD"},
      {"Mac OS Japanese from Shift_JIS", sjis, mac, "\x82\xA9", "\x82\xA9"},
      {"empty text", mac, utf8, "", ""},
      {"empty text through ICU", utf8, Iso2022Jp(), "", ""},
  };
  for (const Row& row : rows) {
    auto converter = GetTextConverter(row.source, row.target);
    ASSERT_NE(converter, nullptr) << row.name;
    EXPECT_EQ(converter->convert(row.input), row.output) << row.name;
  }
}

// A converter is used for text after text; each text is converted whole, so
// one cut short must not change how the next one reads.
TEST(TextEncodingTest, NothingCarriesFromOneTextToTheNext) {
  struct Row {
    const char* name;
    const TextEncoding* source;
    std::string first;
  };
  const Row rows[] = {
      {"ISO-2022-JP left in JIS mode", Iso2022Jp(), "\x1B$B4A"},
      {"ISO-2022-JP cut inside an escape", Iso2022Jp(), "\x1B$"},
      {"Shift_JIS cut after a lead byte", Encodings::ShiftJIS(), "\x82"},
      {"EUC-JP cut after a lead byte", EucJp(), "\xB4"},
      {"UTF-16 cut inside a unit", Encodings::UTF16(), "\x30"},
      {"UTF-16 cut inside a pair", Encodings::UTF16(), "\xD8\x3D"},
      {"Mac OS Japanese cut after a lead byte", Encodings::MacJapanese(), "\x82"},
  };
  for (const Row& row : rows) {
    auto converter = GetTextConverter(row.source, Encodings::UTF8());
    auto toSource = GetTextConverter(Encodings::UTF8(), row.source);
    const std::string second = toSource->convert("AB");
    converter->convert(row.first);
    EXPECT_EQ(converter->convert(second), "AB") << row.name;
    converter->convert(row.first);
    converter->Reset();
    EXPECT_EQ(converter->convert(second), "AB") << row.name;
  }
}

TEST(TextEncodingTest, AnyBytesConvertWithoutFailingAndGiveValidUtf8) {
  const std::string inputs[] = {
      std::string("\0\xFF\xFE\x1B$B\x80\xC0\xED\xA0\x80\xF8\x8F", 14),
      "\x1B$B\xFF\x1B(J\x1B(I\x1B$(D!!",
      "\xD8\x00\xDC\x00\xDF\xFF\xFE",
      "\x8F\xA1\xA1\x8E\xE0\xFC\xFC\xEF\x40",
  };
  for (const TextEncoding* source : AllEncodings()) {
    for (const TextEncoding* target : AllEncodings()) {
      auto converter = GetTextConverter(source, target);
      for (const std::string& input : inputs) {
        const std::string output = converter->convert(input);
        if (target == Encodings::UTF8()) {
          EXPECT_TRUE(IsValidUtf8(output)) << source->internetName();
        }
      }
    }
  }
}

TEST(TextEncodingTest, DefineEncodingKeepsTheBytes) {
  const std::string bytes("\x82\xA9\0\xFF", 4);
  EXPECT_EQ(DefineEncoding(bytes, Encodings::UTF16()), bytes);
  EXPECT_EQ(DefineEncoding(bytes, nullptr), bytes);
}

}  // namespace
