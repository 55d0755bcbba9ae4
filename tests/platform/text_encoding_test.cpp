// What each pair writes, what becomes U+FFFD or "?", and that no text leaks
// into the next. That any bytes convert without failing is the fuzz target's.

#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

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
      {"UTF-16 out, beyond the BMP", kUtf8, kUtf16, "\U0001F600", {"\xD8\x3D\xDE\x00", 4}},
      {"UTF-16 in, big-endian mark dropped", kUtf16, kUtf8, "\xFE\xFF\x30\x4B", "\u304B"},
      {"UTF-16 in, little-endian mark", kUtf16, kUtf8, "\xFF\xFE\x4B\x30", "\u304B"},
      {"UTF-16 in, no mark reads big-endian", kUtf16, kUtf8, {"\0a\x30\x4B", 4}, "a\u304B"},
      {"UTF-16 in, odd byte left over", kUtf16, kUtf8, {"\0a\0", 3}, "a\uFFFD"},
      {"UTF-16 in, lone surrogate", kUtf16, kUtf8, {"\xD8\x3D\0a", 4}, "\uFFFDa"},
      {"UTF-8 in, overlong form", kUtf8, kUtf16, "\xC0\xAF", "\xFF\xFD\xFF\xFD"},
      {"UTF-8 in, surrogate", kUtf8, kMac,
       "\xED\xA0\x80"
       "a",
       "???a"},
      {"UTF-8 in, cut short before ASCII",
       kUtf8,
       kUtf16,
       "\xE3\x81"
       "a",
       {"\xFF\xFD\0a", 4}},
      {"UTF-8 to UTF-8 still checks", kUtf8, kUtf8, "a\xFF", "a\uFFFD"},
      {"Shift_JIS in", kSjis, kUtf8, "\x82\xA9\x8A\xBF\xB6", "\u304B\u6F22\uFF76"},
      {"Shift_JIS out, no latin letters", kUtf8, kSjis, "caf\u00E9", "caf?"},
      {"EUC-JP in, cut short", kEuc, kUtf8, "\xB4\xC1\xBB", "\u6F22\uFFFD"},
      {"ISO-2022-JP in", kJis, kUtf8, "\x1B$B4A;z\x1B(BA", "\u6F22\u5B57A"},
      {"ISO-2022-JP out, unmappable in JIS mode", kUtf8, kJis, "\u6F22\U0001F600",
       "\x1B$B4A\x1B(B?"},
      {"empty text", kMac, kUtf8, "", ""},
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
    const TextEncoding* source;
    std::string first;
  } rows[] = {{kJis, "\x1B$B4A"}, {kSjis, "\x82"}, {kUtf16, "\xD8\x3D"}, {kMac, "\x82"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source->internetName());
    auto converter = GetTextConverter(row.source, kUtf8);
    const std::string second = GetTextConverter(kUtf8, row.source)->convert("AB");
    converter->convert(row.first);
    EXPECT_EQ(converter->convert(second), "AB");
    converter->convert(row.first);
    converter->Reset();
    EXPECT_EQ(converter->convert(second), "AB");
  }
}
}  // namespace
