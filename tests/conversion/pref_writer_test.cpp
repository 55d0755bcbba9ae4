#include "conversion/pref_writer.h"

#include <gtest/gtest.h>

#include <climits>

#include "plist_lines_helpers.h"
#include "shared/text_enco.h"
#include "strict_xml_helpers.h"

namespace {

struct PrefInput {
  std::array<std::int32_t, 51> pPref{};
  std::array<std::string, 21> pPrefS{};
  std::array<std::int32_t, 51> gPref{};
};

std::string Write(const PrefInput& in) {
  gEncInit();
  StringLineSink out;
  WritePref(in.pPref, in.pPrefS, in.gPref, out);
  return out.text;
}

TEST(PrefWriter, WritesTheFortyLinesInKeyOrder) {
  PrefInput in;
  in.pPref[3] = 1;
  in.pPref[15] = 3;
  in.pPref[16] = 0;
  in.pPref[17] = 1;
  in.pPref[18] = 2;
  in.pPref[19] = 0x123456;
  in.pPref[20] = 4;
  in.pPref[21] = 5;
  in.pPref[22] = 0xEDCBA9;
  in.pPref[50] = 12;
  in.pPrefS[0] = "Osaka";
  in.gPref[21] = 2;
  EXPECT_EQ(Write(in),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
            "<plist version=\"1.0\">\n<dict>\n"
            "<key>bgClrBlue</key>\n<real>18</real>\n"
            "<key>bgClrCng</key>\n<integer>1</integer>\n"
            "<key>bgClrGreen</key>\n<real>52</real>\n"
            "<key>bgClrOdd</key>\n<integer>2</integer>\n"
            "<key>bgClrRed</key>\n<real>86</real>\n"
            "<key>cellFontName</key>\n<string>Osaka</string>\n"
            "<key>cellFontSize</key>\n<integer>12</integer>\n"
            "<key>cellLineH</key>\n<integer>2</integer>\n"
            "<key>cellLineV</key>\n<integer>0</integer>\n"
            "<key>headerKind</key>\n<integer>4</integer>\n"
            "<key>hiClrBlue</key>\n<real>169</real>\n"
            "<key>hiClrCng</key>\n<integer>5</integer>\n"
            "<key>hiClrGreen</key>\n<real>203</real>\n"
            "<key>hiClrRed</key>\n<real>237</real>\n"
            "<key>rowKind</key>\n<integer>1</integer>\n"
            "<key>scrollKind</key>\n<integer>2</integer>\n"
            "<key>winGeo</key>\n<integer>1</integer>\n"
            "</dict>\n</plist>\n");
}

struct ColourCase {
  std::int32_t word;
  const char* high;
  const char* middle;
  const char* low;
};

class PrefColourWord : public ::testing::TestWithParam<ColourCase> {};

// Background: blue high, red low. Highlight: red high, blue low.
TEST_P(PrefColourWord, SplitsIntoThreeRealsWithoutMasking) {
  const ColourCase& c = GetParam();
  PrefInput in;
  in.pPref[19] = c.word;
  in.pPref[22] = c.word;
  const std::string pref = Write(in);
  const auto real = [](const char* v) { return std::string("<real>") + v + "</real>"; };
  EXPECT_EQ(ValueLineAfter(pref, "bgClrBlue"), real(c.high));
  EXPECT_EQ(ValueLineAfter(pref, "bgClrGreen"), real(c.middle));
  EXPECT_EQ(ValueLineAfter(pref, "bgClrRed"), real(c.low));
  EXPECT_EQ(ValueLineAfter(pref, "hiClrRed"), real(c.high));
  EXPECT_EQ(ValueLineAfter(pref, "hiClrGreen"), real(c.middle));
  EXPECT_EQ(ValueLineAfter(pref, "hiClrBlue"), real(c.low));
}

INSTANTIATE_TEST_SUITE_P(
    Words, PrefColourWord,
    ::testing::Values(ColourCase{1193046, "18", "52", "86"},
                      ColourCase{16777215, "255", "255", "255"}, ColourCase{0, "0", "0", "0"},
                      ColourCase{16777216, "256", "0", "0"}, ColourCase{-1, "0", "0", "-1"},
                      ColourCase{-70000, "-1", "-17", "-112"}, ColourCase{-65536, "-1", "0", "0"},
                      ColourCase{INT32_MIN, "-32768", "0", "0"}));

TEST(PrefWriter, CellLinesAreTheSlotMinusOneNeverBelowZero) {
  const struct {
    std::int32_t slot;
    const char* line;
  } cases[] = {{0, "0"},
               {1, "0"},
               {3, "2"},
               {-5, "0"},
               {INT32_MAX, "2147483646"},
               {INT32_MIN, "2147483647"}};  // the smallest Int32 wraps
  for (const auto& c : cases) {
    PrefInput in;
    in.pPref[15] = c.slot;
    in.pPref[16] = c.slot;
    const std::string pref = Write(in);
    EXPECT_EQ(ValueLineAfter(pref, "cellLineH"), std::string("<integer>") + c.line + "</integer>")
        << c.slot;
    EXPECT_EQ(ValueLineAfter(pref, "cellLineV"), std::string("<integer>") + c.line + "</integer>")
        << c.slot;
  }
}

TEST(PrefWriter, ScrollKindAndWinGeoComeFromTheProgramSettings) {
  const struct {
    std::int32_t scrollKind, geoSetting;
    const char* scrollLine;
    const char* geoLine;
  } cases[] = {{0, 0, "<integer>0</integer>", "<integer>1</integer>"},
               {3, 5, "<integer>3</integer>", "<integer>0</integer>"},
               {-2, -1, "<integer>-2</integer>", "<integer>0</integer>"}};
  for (const auto& c : cases) {
    PrefInput in;
    in.gPref[21] = c.scrollKind;
    in.gPref[22] = c.geoSetting;
    in.pPref[21] = 77;  // the document's own slots play no part
    in.pPref[22] = 0;
    const std::string pref = Write(in);
    EXPECT_EQ(ValueLineAfter(pref, "scrollKind"), c.scrollLine);
    EXPECT_EQ(ValueLineAfter(pref, "winGeo"), c.geoLine);
  }
}

TEST(PrefWriter, FontNameIsUtf8AndEscapedSoTheListStaysXml) {
  const struct {
    std::string stored;
    std::string line;
  } cases[] = {
      {"", "<string></string>"},
      {"A&B <C>", "<string>A&amp;B &lt;C&gt;</string>"},
      {"\x93\xFA\x96\x7B\x8C\xEA", "<string>日本語</string>"},  // Shift-JIS bytes
      {std::string(255, 'W'), "<string>" + std::string(255, 'W') + "</string>"},
  };
  for (const auto& c : cases) {
    PrefInput in;
    in.pPrefS[0] = c.stored;
    const std::string pref = Write(in);
    EXPECT_EQ(ValueLineAfter(pref, "cellFontName"), c.line);
    EXPECT_EQ(Lines(pref).size(), 40u);
    EXPECT_EQ(XmlWellFormednessError(pref), std::nullopt);
  }
}

}  // namespace
