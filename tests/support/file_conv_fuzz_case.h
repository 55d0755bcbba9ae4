#pragma once
// One case of the document-conversion fuzz target, shared with the test that
// replays its findings and seeds: the input is split into a document's data
// fork and resource fork, written to a scratch folder, converted, and checked.
//
// Input layout:
//   byte 0      flags: bit 0 set: the fork part is a whole resource fork;
//               clear: it is the text of a 'WPos' 128 resource.
//               bit 1 set: the document has no sidecar at all.
//   bytes 1-2   length F of the fork part, big-endian (cut to what is there)
//   F bytes     the fork part
//   the rest    the data fork
// Shorter inputs are all data fork.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "support/legacy_document.h"

namespace legacy {

struct FuzzDocument {
  std::string dataFork;
  bool sidecar = true;
  std::optional<std::string> resourceFork;
};

inline FuzzDocument SplitFuzzInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  if (input.size() < 3) return {input, true, std::nullopt};
  const auto flags = static_cast<unsigned char>(input[0]);
  const std::size_t forkLength =
      std::min<std::size_t>((std::size_t{static_cast<unsigned char>(input[1])} << 8) |
                                static_cast<unsigned char>(input[2]),
                            input.size() - 3);
  const std::string forkPart = input.substr(3, forkLength);
  FuzzDocument document{input.substr(3 + forkLength), (flags & 2) == 0, std::nullopt};
  document.resourceFork = (flags & 1) ? forkPart : WPosFork(forkPart);
  return document;
}

// The inverse, for writing seeds: flags, fork part, data fork.
inline std::string JoinFuzzInput(unsigned char flags, const std::string& forkPart,
                                 const std::string& dataFork) {
  std::string input(1, static_cast<char>(flags));
  AppendShort(input, static_cast<std::int32_t>(forkPart.size()));
  return input + forkPart + dataFork;
}

// Converts the input's document, found in `folder` (which must exist and is
// emptied afterwards), into a package in folder/out. Returns what went wrong,
// "" when every promise held: a refused document leaves no package, a
// converted one has its four files, and the source is never changed.
inline std::string RunFileConvFuzzCase(const std::filesystem::path& folder,
                                       const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  const FuzzDocument document = SplitFuzzInput(data, size);
  const fs::path source = folder / "doc.tvr";
  const fs::path out = folder / "out";
  std::string problem;
  WriteBytes(source, document.dataFork);
  if (document.sidecar) WriteBytes(SidecarPath(source), AppleDoubleBytes(document.resourceFork));
  fs::create_directory(out);
  const fs::path package = out / "doc.tvr.tvrmd";

  ListConverter converter;
  converter.CheckMulti(FolderItem(source));
  const bool converted = converter.FileConv(FolderItem(source), FolderItem(package));
  if (!converted && fs::exists(package)) problem = "a refused document left a package";
  for (const char* file : {"pref", "csv", "colAttr", "window"}) {
    if (converted && !fs::is_regular_file(package / file)) problem = std::string("no ") + file;
  }
  std::error_code ignored;
  if (fs::file_size(source, ignored) != document.dataFork.size()) problem = "the source changed";

  for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path(), ignored);
  return problem;
}

}  // namespace legacy
