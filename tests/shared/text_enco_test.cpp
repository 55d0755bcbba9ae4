#include "shared/text_enco.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
const std::string kKana = "\x82\xA9\x82\xC8";  // かな, Mac OS Japanese
const std::string kKanaUtf8 = "\xE3\x81\x8B\xE3\x81\xAA";
const std::string kKanaUtf16 = "\xFE\xFF\x30\x4B\x30\x6A";  // with a byte-order mark
const std::string kKanjiEuc = "\xB4\xC1\xBB\xFA";           // 漢字
const std::string kKanjiUtf8 = "\xE6\xBC\xA2\xE5\xAD\x97";
const std::string kReplaced = "\xFF\xFD\xFF\xFD\xFF\xFD\xFF\xFD";  // four U+FFFD in UTF-16

// Records what is asked of a cached converter.
struct RecordingConverter : TextConverter {
  explicit RecordingConverter(std::vector<std::string>* calls) : calls(calls) {}
  std::string convert(std::string_view text) override {
    calls->push_back("convert " + std::string(text));
    return "converted";
  }
  void Reset() override { calls->push_back("Reset"); }
  std::vector<std::string>* calls;
};

class TextEncoTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    gEncRelease();
    if (GetParam()) gEncInit();
  }
  void TearDown() override { gEncRelease(); }
};

// The same answers with and without the cached converters.
TEST_P(TextEncoTest, ConvertsBetweenNamedEncodings) {
  const struct {
    const char* name;
    std::string text, source, target, result;
  } rows[] = {
      {"Shift-JIS is Mac OS Japanese", "\\\x80\x87\x91", "Shift-JIS", "UTF-8",
       "\u00A5\\\u5927\u20DD"},
      {"UTF-8 to Shift-JIS", kKanaUtf8, "UTF-8", "Shift-JIS", kKana},
      {"EUC to UTF-8", kKanjiEuc, "EUC", "UTF-8", kKanjiUtf8},
      {"JIS to UTF-8", "\x1B$B4A;z\x1B(B", "JIS", "UTF-8", kKanjiUtf8},
      {"uncached pair", kKanjiEuc, "EUC", "Shift-JIS", "\x8A\xBF\x8E\x9A"},
      {"same name both sides: untouched, bad bytes too", "a\xFF", "UTF-8", "UTF-8", "a\xFF"},
      {"target Auto is the default", kKanaUtf16, "UTF-16", "Auto", kKanaUtf8},
      {"names are compared exactly: the default", kKana, "shift-jis", "UTF-16", kReplaced},
      {"Auto source guessed as EUC-JP: the default", kKanjiEuc, "Auto", "UTF-16", kReplaced},
      {"Auto source unsure, UTF-8 target: untouched", "abc", "Auto", "UTF-8", "abc"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(gEncText(row.text, row.source, row.target), row.result) << row.name;
  }
}

TEST_P(TextEncoTest, GuessNamesAndShiftJisOfFirstCells) {
  const struct {
    std::string text, guessedName, shiftJis;
  } rows[] = {
      {kKana, "Shift-JIS", kKana},
      {"\xE3\x81\x8B\xC2\xA5\\", "UTF-8", "\x82\xA9\x5C\x80"},
      {std::string("\0A\x30\x4B", 4), "UTF-16", "A\x82\xA9"},
      {kKanjiEuc, "デフォルト", kKanjiEuc},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.text));
    EXPECT_EQ(gEncTextGetEnc(row.text), row.guessedName);
    EXPECT_EQ(gEncSJIS(row.text), row.shiftJis);
  }
}

INSTANTIATE_TEST_SUITE_P(CachedOrNot, TextEncoTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Cached" : "Uncached"; });

// gEncInit builds each cached pair and gEncRelease drops it; its converter is
// reset before every text, whether the names were given or guessed.
TEST(TextEncoCacheTest, CachedPairsUseTheirConverterResetBeforeEachText) {
  const struct {
    std::unique_ptr<TextConverter>* converter;
    std::string text, source, target;
  } rows[] = {
      {&gTc_SJISUTF8, "a", "Shift-JIS", "UTF-8"},
      {&gTc_UTF16UTF8, "a", "UTF-16", "UTF-8"},
      {&gTc_UTF8SJIS, "a", "UTF-8", "Shift-JIS"},
      {&gTc_UTF16SJIS, "a", "UTF-16", "Shift-JIS"},
      {&gTc_UTF8UTF16, "a", "UTF-8", "UTF-16"},
      {&gTc_EUCUTF8, "a", "EUC", "UTF-8"},
      {&gTc_JISUTF8, "a", "JIS", "UTF-8"},
      {&gTc_UTF8SJIS, kKanaUtf8, "Auto", "Shift-JIS"},
      {&gTc_UTF16SJIS, kKanaUtf16, "Auto", "Shift-JIS"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source + " to " + row.target);
    gEncInit();
    EXPECT_NE(*row.converter, nullptr);
    std::vector<std::string> calls;
    *row.converter = std::make_unique<RecordingConverter>(&calls);
    EXPECT_EQ(gEncText(row.text, row.source, row.target), "converted");
    EXPECT_EQ(gEncText(row.text, row.source, row.target), "converted");
    const std::vector<std::string> expected = {"Reset", "convert " + row.text, "Reset",
                                               "convert " + row.text};
    EXPECT_EQ(calls, expected);
    gEncRelease();
    EXPECT_EQ(*row.converter, nullptr);
  }
}
}  // namespace
