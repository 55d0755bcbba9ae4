// The fixed encodings, and conversions through ICU and by hand: what each
// pair writes, what becomes U+FFFD or "?", and that no text leaks into the next.

#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf8.h"

namespace {

const TextEncoding* const kUtf8 = Encodings::UTF8();
const TextEncoding* const kUtf16 = Encodings::UTF16();
const TextEncoding* const kSjis = Encodings::ShiftJIS();
const TextEncoding* const kMac = Encodings::MacJapanese();
const TextEncoding* const kEuc = GetTextEncoding(0x0920, 0, 0);
const TextEncoding* const kJis = GetTextEncoding(0x0820, 0, 0);
const std::vector<const TextEncoding*> kAll = {kUtf8, kUtf16, kMac, kSjis, kEuc, kJis};

bool IsValidUtf8(const std::string& text) {
  Utf8Scanner scanner;
  for (char c : text) {
    const auto step = scanner.feed(static_cast<std::uint8_t>(c));
    if (step == Utf8Scanner::Step::Invalid || step == Utf8Scanner::Step::Retry) return false;
  }
  return !scanner.pending();
}

TEST(TextEncodingTest, FixedEncodingsAndUnknownCodes) {
  std::string names;
  for (const TextEncoding* encoding : kAll) names += encoding->internetName() + " ";
  EXPECT_EQ(names, "UTF-8 UTF-16 x-mac-japanese Shift_JIS EUC-JP ISO-2022-JP ");
  EXPECT_EQ(Encodings::SystemDefault(), kUtf8);
  EXPECT_EQ(GetTextEncoding(0x0001, 0, 0), nullptr);
  EXPECT_EQ(GetTextEncoding(0, 0, 0), nullptr);
  EXPECT_EQ(GetTextConverter(nullptr, kUtf8), nullptr);
  EXPECT_EQ(GetTextConverter(kUtf8, nullptr), nullptr);
}

TEST(TextEncodingTest, ConvertsBetweenPairs) {
  const struct {
    const char* name;
    const TextEncoding *source, *target;
    std::string input, output;
  } rows[] = {
      // clang-format off
      {"UTF-16 out is big-endian without a mark", kUtf8, kUtf16, "A\u304B", {"\0A\x30\x4B", 4}},
      {"UTF-16 out, beyond the BMP", kUtf8, kUtf16, "\U0001F600", {"\xD8\x3D\xDE\x00", 4}},
      {"UTF-16 in, big-endian mark dropped", kUtf16, kUtf8, "\xFE\xFF\x30\x4B", "\u304B"},
      {"UTF-16 in, little-endian mark", kUtf16, kUtf8, "\xFF\xFE\x4B\x30", "\u304B"},
      {"UTF-16 in, no mark reads big-endian", kUtf16, kUtf8, {"\0a\x30\x4B", 4}, "a\u304B"},
      {"UTF-16 in, odd byte left over", kUtf16, kUtf8, {"\0a\0", 3}, "a\uFFFD"},
      {"UTF-16 in, lone surrogate", kUtf16, kUtf8, {"\xD8\x3D\0a", 4}, "\uFFFDa"},
      {"UTF-8 in, overlong form", kUtf8, kUtf16, "\xC0\xAF", "\xFF\xFD\xFF\xFD"},
      {"UTF-8 in, surrogate", kUtf8, kMac, "\xED\xA0\x80" "a", "???a"},
      {"UTF-8 in, cut short", kUtf8, kUtf16, "\xE3\x81", "\xFF\xFD"},
      {"UTF-8 in, cut short before ASCII", kUtf8, kUtf16, "\xE3\x81" "a", {"\xFF\xFD\0a", 4}},
      {"UTF-8 in, beyond U+10FFFF", kUtf8, kUtf16, "\xF4\x90\x80\x80",
       "\xFF\xFD\xFF\xFD\xFF\xFD\xFF\xFD"},
      {"UTF-8 to UTF-8 still checks", kUtf8, kUtf8, "a\xFF", "a\uFFFD"},
      {"Shift_JIS in", kSjis, kUtf8, "\x82\xA9\x8A\xBF\xB6", "\u304B\u6F22\uFF76"},
      {"Shift_JIS in, lead byte at the end", kSjis, kUtf8, "a\x82", "a\uFFFD"},
      {"Shift_JIS out, kana and kanji", kUtf8, kSjis, "\u304B\u6F22", "\x82\xA9\x8A\xBF"},
      {"Shift_JIS out, no latin letters", kUtf8, kSjis, "caf\u00E9", "caf?"},
      {"EUC-JP in", kEuc, kUtf8, "\xB4\xC1\xBB\xFA", "\u6F22\u5B57"},
      {"EUC-JP in, cut short", kEuc, kUtf8, "\xB4\xC1\xBB", "\u6F22\uFFFD"},
      {"EUC-JP out, beyond the BMP", kUtf8, kEuc, "a\U0001F600", "a?"},
      {"ISO-2022-JP in", kJis, kUtf8, "\x1B$B4A;z\x1B(BA", "\u6F22\u5B57A"},
      {"ISO-2022-JP in, an 8-bit byte", kJis, kUtf8, "a\xA4" "b", "a\uFFFD" "b"},
      {"ISO-2022-JP out shifts back at the end", kUtf8, kJis, "\u6F22\u5B57", "\x1B$B4A;z\x1B(B"},
      {"ISO-2022-JP out, unmappable in JIS mode", kUtf8, kJis, "\u6F22\U0001F600",
       "\x1B$B4A\x1B(B?"},
      {"Mac OS Japanese from Shift_JIS", kSjis, kMac, "\x82\xA9", "\x82\xA9"},
      {"empty text", kMac, kUtf8, "", ""},
      {"empty text through ICU", kUtf8, kJis, "", ""},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto converter = GetTextConverter(row.source, row.target);
    ASSERT_NE(converter, nullptr);
    EXPECT_EQ(converter->convert(row.input), row.output);
  }
}

// A converter is used for text after text; each text is converted whole, so
// one cut short must not change how the next one reads, with or without Reset.
TEST(TextEncodingTest, NothingCarriesFromOneTextToTheNext) {
  const struct {
    const char* name;
    const TextEncoding* source;
    std::string first;
  } rows[] = {
      {"ISO-2022-JP left in JIS mode", kJis, "\x1B$B4A"},
      {"ISO-2022-JP cut inside an escape", kJis, "\x1B$"},
      {"Shift_JIS cut after a lead byte", kSjis, "\x82"},
      {"EUC-JP cut after a lead byte", kEuc, "\xB4"},
      {"UTF-16 cut inside a unit", kUtf16, "\x30"},
      {"UTF-16 cut inside a pair", kUtf16, "\xD8\x3D"},
      {"Mac OS Japanese cut after a lead byte", kMac, "\x82"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto converter = GetTextConverter(row.source, kUtf8);
    const std::string second = GetTextConverter(kUtf8, row.source)->convert("AB");
    converter->convert(row.first);
    EXPECT_EQ(converter->convert(second), "AB");
    converter->convert(row.first);
    converter->Reset();
    EXPECT_EQ(converter->convert(second), "AB");
  }
}

// Every pair exists, and any bytes convert without failing; to UTF-8 they
// always give valid UTF-8.
TEST(TextEncodingTest, AnyBytesConvertWithoutFailingAndGiveValidUtf8) {
  const std::string inputs[] = {
      std::string("\0\xFF\xFE\x1B$B\x80\xC0\xED\xA0\x80\xF8\x8F", 14),
      "\x1B$B\xFF\x1B(J\x1B(I\x1B$(D!!",
      "\xD8\x00\xDC\x00\xDF\xFF\xFE",
      "\x8F\xA1\xA1\x8E\xE0\xFC\xFC\xEF\x40",
  };
  for (const TextEncoding* source : kAll) {
    for (const TextEncoding* target : kAll) {
      SCOPED_TRACE(source->internetName() + " to " + target->internetName());
      auto converter = GetTextConverter(source, target);
      ASSERT_NE(converter, nullptr);
      for (const std::string& input : inputs) {
        const std::string output = converter->convert(input);
        if (target == kUtf8) {
          EXPECT_TRUE(IsValidUtf8(output));
        }
      }
    }
  }
}

}  // namespace
