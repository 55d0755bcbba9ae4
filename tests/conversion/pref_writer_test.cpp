#include "conversion/pref_writer.h"

#include <gtest/gtest.h>

#include <climits>

#include "conversion_fixture_helpers.h"
#include "shared/text_enco.h"

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

TEST(PrefWriter, WritesEveryKeyFromItsSlot) {
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
  EXPECT_EQ(Write(in), PrefPlist({"18", "1", "52", "2", "86", "Osaka", "12", "2", "0", "4", "169",
                                  "5", "203", "237", "1", "2", "1"}));
  for (std::int32_t setting : {5, -1}) {  // any setting but 0 turns winGeo off
    in.gPref[22] = setting;
    EXPECT_EQ(ValueLineAfter(Write(in), "winGeo"), "<integer>0</integer>") << setting;
  }
}

TEST(PrefWriter, CellLinesAreTheSlotMinusOneNeverBelowZero) {
  const struct {
    std::int32_t slot;
    std::string line;
  } cases[] = {{0, "0"},
               {1, "0"},
               {3, "2"},
               {-5, "0"},
               {INT32_MAX, "2147483646"},
               {INT32_MIN, "2147483647"}};  // the smallest Int32 wraps
  for (const auto& c : cases) {
    PrefInput in;
    in.pPref[15] = in.pPref[16] = c.slot;
    const std::string pref = Write(in);
    EXPECT_EQ(ValueLineAfter(pref, "cellLineH"), "<integer>" + c.line + "</integer>") << c.slot;
    EXPECT_EQ(ValueLineAfter(pref, "cellLineV"), "<integer>" + c.line + "</integer>") << c.slot;
  }
}

}  // namespace
