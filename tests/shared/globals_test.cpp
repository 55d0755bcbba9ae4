#include "shared/globals.h"

#include <gtest/gtest.h>

#include "support/scripted_services.h"

namespace {

// The alternate button answers 0; setting 10 equal to 1, no other, beeps
// before the dialog shows.
TEST(GCautionDlg, AnswersAndTheBeep) {
  ScriptedServices services;
  for (std::int32_t setting : {0, 1, 2}) {
    gPref[10] = setting;
    services.log.clear();
    services.cautionAnswers = {DialogButton::Alternate};
    EXPECT_EQ(gCautionDlg(nullptr, 3, "実行", "キャンセル", "別の操作", "本文", ""), 0);
    const std::vector<std::string> shown = {"caution 本文"}, beeped = {"beep", shown[0]};
    EXPECT_EQ(services.log, setting == 1 ? beeped : shown);
  }
  gReleaseGlobals();
}

}  // namespace
