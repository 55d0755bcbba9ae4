// Replays every input the document-conversion fuzz target has found a fault
// with (fuzz/regressions/file_conv_fuzz) and its seeds, so a fixed fault stays
// fixed.
#include <gtest/gtest.h>

#include "conversion_fixture_helpers.h"
#include "shared/text_enco.h"
#include "support/file_conv_fuzz_case.h"

namespace {

namespace fs = std::filesystem;

class FuzzReplay : public ::testing::TestWithParam<const char*> {};

TEST_P(FuzzReplay, EveryInputKeepsThePromises) {
  const fs::path folder =
      fs::path(TAVR_TEST_DATA_DIR) / "../../fuzz" / GetParam() / "file_conv_fuzz";
  if (!fs::is_directory(folder)) GTEST_SKIP() << "no " << folder;
  ScriptedServices services;
  gEncInit();
  TempFolder scratch;
  int replayed = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    const std::string input = ReadBytes(entry.path());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
    EXPECT_EQ(legacy::RunFileConvFuzzCase(scratch.path(), bytes, input.size()), "") << entry.path();
    ++replayed;
  }
  if (replayed == 0) GTEST_SKIP() << "nothing in " << folder;
}

INSTANTIATE_TEST_SUITE_P(Folders, FuzzReplay, ::testing::Values("regressions", "corpus"));

}  // namespace
