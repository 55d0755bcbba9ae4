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
#include <system_error>

#include "shared/text_enco.h"
#include "support/file_conv_fuzz_case.h"

namespace {

// One scratch folder per process, emptied after every input and removed at
// exit.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "file_conv_fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) abort();
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

const std::filesystem::path& Scratch() {
  static const ScratchFolder folder;
  return folder.path();
}

}  // namespace

// The cached converters, as the program builds them when its window opens.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gEncInit();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = legacy::RunFileConvFuzzCase(Scratch(), data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "file_conv_fuzz: %s\n", problem.c_str());
    abort();
  }
  return 0;
}
