#include "shared/text_enco.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

const std::string kKana = "\x82\xA9\x82\xC8";  // かな, Mac OS Japanese
const std::string kKanaUtf8 = "\xE3\x81\x8B\xE3\x81\xAA";
const std::string kKanaUtf16 = "\xFE\xFF\x30\x4B\x30\x6A";  // with a byte-order mark
const std::string kKanjiEuc = "\xB4\xC1\xBB\xFA";           // 漢字
const std::string kKanjiUtf8 = "\xE6\xBC\xA2\xE5\xAD\x97";
const std::string kReplaced = "\xFF\xFD\xFF\xFD\xFF\xFD\xFF\xFD";  // four U+FFFD in UTF-16

class TextEncoTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    gEncRelease();
    if (GetParam()) gEncInit();
  }
  void TearDown() override { gEncRelease(); }
};

// The same answers with and without the cached converters, and from a pair
// of names looked up once (appended to what the string holds); a text cut
// short never changes how the next one reads.
TEST_P(TextEncoTest, ConvertsBetweenNamedEncodings) {
  const std::array<std::string, 4> rows[] = {
      // text, source, target, result
      {"\\\x80\x87\x91", "Shift-JIS", "UTF-8", "\u00A5\\\u5927\u20DD"},  // Mac OS Japanese
      {"\x82", "Shift-JIS", "UTF-8", "\uFFFD"},
      {"AB", "Shift-JIS", "UTF-8", "AB"},
      {kKanaUtf8, "UTF-8", "Shift-JIS", kKana},
      {kKanjiEuc, "EUC", "UTF-8", kKanjiUtf8},
      {"\x1B$B4A;z\x1B(B", "JIS", "UTF-8", kKanjiUtf8},
      {"\x1B$B4A", "JIS", "UTF-8", "\u6F22"},
      {"AB", "JIS", "UTF-8", "AB"},
      {kKanjiEuc, "EUC", "Shift-JIS", "\x8A\xBF\x8E\x9A"},  // no cached pair
      {"a\xFF", "UTF-8", "UTF-8", "a\xFF"},                 // the same name: untouched
      {kKanaUtf16, "UTF-16", "Auto", kKanaUtf8},            // target Auto is the default
      {kKana, "shift-jis", "UTF-16", kReplaced},            // names compared exactly
      {kKanjiEuc, "Auto", "UTF-16", kReplaced},             // guessed EUC-JP: the default
      {"abc", "Auto", "UTF-8", "abc"},
  };
  for (const auto& [text, source, target, result] : rows) {
    EXPECT_EQ(gEncText(text, source, target), result) << source << " to " << target << ": " << text;
    std::string appended = "<";
    gEncText(text, gEncPair(source, target), appended);
    EXPECT_EQ(appended, "<" + result) << source << " to " << target;
  }
}

INSTANTIATE_TEST_SUITE_P(CachedOrNot, TextEncoTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Cached" : "Uncached"; });

}  // namespace
