// Converts arbitrary bytes, with an arbitrary resource fork, as a legacy list
// document: whatever the bytes, nothing crashes or leaks, a refused document
// leaves no package behind and the source is never changed. The input layout
// is in support/file_conv_fuzz_case.h, shared with the replay test.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "shared/text_enco.h"
#include "support/file_conv_fuzz_case.h"
#include "support/files.h"

namespace {

// One scratch folder per process, emptied after every input and removed at
// exit.
const std::filesystem::path& Scratch() {
  static const TempFolder folder;
  return folder.path();
}

}  // namespace

// The cached converters, as the program builds them when its window opens.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gEncInit();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = mac_bytes::RunFileConvFuzzCase(Scratch(), data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "file_conv_fuzz: %s\n", problem.c_str());
    abort();
  }
  return 0;
}
