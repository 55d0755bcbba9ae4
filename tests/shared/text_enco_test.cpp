// Named encodings: which encoding a name selects, which path a pair takes,
// and what the guess-based helpers answer.

#include "shared/text_enco.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kKana = "\x82\xA9\x82\xC8";                       // かな, Mac OS Japanese
const std::string kKanaUtf8 = "\xE3\x81\x8B\xE3\x81\xAA";
const std::string kKanaUtf16 = "\xFE\xFF\x30\x4B\x30\x6A";          // with a byte-order mark
const std::string kKanjiEuc = "\xB4\xC1\xBB\xFA";                   // 漢字
const std::string kKanjiJis = "\x1B$B4A;z\x1B(B";
const std::string kKanjiUtf8 = "\xE6\xBC\xA2\xE5\xAD\x97";

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
      {"UTF-16 to UTF-8", kKanaUtf16, "UTF-16", "UTF-8", kKanaUtf8},
      {"UTF-16 to Shift-JIS", kKanaUtf16, "UTF-16", "Shift-JIS", kKana},
      {"UTF-8 to UTF-16", "A", "UTF-8", "UTF-16", std::string("\0A", 2)},
      {"EUC to UTF-8", kKanjiEuc, "EUC", "UTF-8", kKanjiUtf8},
      {"JIS to UTF-8", kKanjiJis, "JIS", "UTF-8", kKanjiUtf8},
      {"uncached pair", kKanjiEuc, "EUC", "Shift-JIS", "\x8A\xBF\x8E\x9A"},
      {"same name both sides: untouched, bad bytes too", "a\xFF", "UTF-8", "UTF-8", "a\xFF"},
      {"two unknown names are both the default", "a\xFF", "Shift_JIS", "Auto", "a\xFF"},
      {"default is UTF-8", "a\xFF", "デフォルト", "UTF-8", "a\xFF"},
      {"target Auto is the default", kKanaUtf16, "UTF-16", "Auto", kKanaUtf8},
      {"names are compared exactly: the default", kKana, "shift-jis", "UTF-16",
       "\xFF\xFD\xFF\xFD\xFF\xFD\xFF\xFD"},
      {"Auto source guessed as UTF-8", kKanaUtf8, "Auto", "Shift-JIS", kKana},
      {"Auto source guessed as Shift-JIS", kKana, "Auto", "UTF-8", kKanaUtf8},
      {"Auto source guessed as EUC-JP reads as the default", kKanjiEuc, "Auto", "UTF-16",
       "\xFF\xFD\xFF\xFD\xFF\xFD\xFF\xFD"},
      {"Auto source unsure, UTF-8 target: untouched", "abc", "Auto", "UTF-8", "abc"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(gEncText(row.text, row.source, row.target), row.result) << row.name;
  }
}

TEST_P(TextEncoTest, GuessNamesAndShiftJisOfFirstCells) {
  const struct {
    const char* name;
    std::string text, guessedName, shiftJis;
  } rows[] = {
      {"Shift-JIS", kKana, "Shift-JIS", kKana},
      {"UTF-8", kKanaUtf8, "UTF-8", kKana},
      {"UTF-8 yen sign and backslash", "\xE3\x81\x8B\xC2\xA5\\", "UTF-8", "\x82\xA9\x5C\x80"},
      {"UTF-16 with a mark", kKanaUtf16, "UTF-16", kKana},
      {"UTF-16 without a mark", std::string("\0A\x30\x4B", 4), "UTF-16", "A\x82\xA9"},
      {"EUC-JP", kKanjiEuc, "デフォルト", kKanjiEuc},
      {"ISO-2022-JP", kKanjiJis, "デフォルト", kKanjiJis},
      {"ASCII: unsure", "Tavr", "デフォルト", "Tavr"},
      {"empty: unsure", "", "デフォルト", ""},
      {"nothing valid: unsure", "\x82", "デフォルト", "\x82"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(gEncTextGetEnc(row.text), row.guessedName);
    EXPECT_EQ(gEncSJIS(row.text), row.shiftJis);
  }
}

INSTANTIATE_TEST_SUITE_P(CachedOrNot, TextEncoTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Cached" : "Uncached"; });

// Each cached pair is built by gEncInit and dropped by gEncRelease, and is
// served by its own converter, which starts every text afresh (reset first),
// whether the names were given or guessed.
TEST(TextEncoCacheTest, CachedPairsUseTheirConverterResetBeforeEachText) {
  const struct {
    std::unique_ptr<TextConverter>* converter;
    std::string text, source, target;
  } rows[] = {
      {&gTc_SJISUTF8, "a", "Shift-JIS", "UTF-8"},   {&gTc_UTF16UTF8, "a", "UTF-16", "UTF-8"},
      {&gTc_UTF8SJIS, "a", "UTF-8", "Shift-JIS"},   {&gTc_UTF16SJIS, "a", "UTF-16", "Shift-JIS"},
      {&gTc_UTF8UTF16, "a", "UTF-8", "UTF-16"},     {&gTc_EUCUTF8, "a", "EUC", "UTF-8"},
      {&gTc_JISUTF8, "a", "JIS", "UTF-8"},          {&gTc_UTF8SJIS, kKanaUtf8, "Auto", "Shift-JIS"},
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

// First cells go through the cached converter too; without it, through the
// general path.
TEST(TextEncoCacheTest, FirstCellsUseTheCacheAndAMissingConverterFallsBack) {
  gEncInit();
  std::vector<std::string> calls;
  gTc_UTF8SJIS = std::make_unique<RecordingConverter>(&calls);
  EXPECT_EQ(gEncSJIS(kKanaUtf8), "converted");
  EXPECT_EQ(gEncSJIS(kKana), kKana);  // already Shift-JIS: no converter
  EXPECT_EQ(calls.size(), 2u);
  gTc_SJISUTF8.reset();
  EXPECT_EQ(gEncText(kKana, "Shift-JIS", "UTF-8"), kKanaUtf8);
  gEncRelease();
}

}  // namespace
