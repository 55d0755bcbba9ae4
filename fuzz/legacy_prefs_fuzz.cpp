// Feeds arbitrary bytes to the legacy preference reader as the file "pref":
// whatever the bytes, start-up must complete, and only the slots the arrays
// have may change.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/folder_item.h"
#include "shared/globals.h"
#include "shared/start_up_values.h"
#include "support/files.h"

namespace {

// One file, rewritten for every input: the reader takes a file on disk. Its
// folder is removed at exit.
const std::filesystem::path& PrefFile() {
  static const TempFolder folder;
  static const std::filesystem::path file = folder / "pref";
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteBytes(PrefFile(), std::string(reinterpret_cast<const char*>(data), size));
  gReleaseGlobals();
  LoadPrefFrom(FolderItem(PrefFile()));
  // A string slot holds at most what the file held.
  for (const auto& text : gPrefS) {
    if (text.size() > size) abort();
  }
  return 0;
}
