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
#include "support/mac_bytes.h"

namespace mac_bytes {

// Converts the input's document, found in `folder` (which must exist and is
// emptied afterwards), into a package in folder/out. Returns what went wrong,
// "" when every promise held: a refused document leaves no package, a
// converted one has its four files, and the source is never changed.
inline std::string RunFileConvFuzzCase(const std::filesystem::path& folder,
                                       const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(data[at]); };
  std::string dataFork(reinterpret_cast<const char*>(data), size);
  std::optional<std::string> fork;  // none in the sidecar
  bool sidecar = true;
  if (size >= 3) {
    const std::size_t forkLength = std::min<std::size_t>(byte(1) * 256u + byte(2), size - 3);
    const std::string forkPart = dataFork.substr(3, forkLength);
    fork = (byte(0) & 1) ? forkPart : WPosFork(forkPart);
    sidecar = (byte(0) & 2) == 0;
    dataFork.erase(0, 3 + forkLength);
  }

  const fs::path source = folder / "doc.tvr", package = folder / "out" / "doc.tvr.tvrmd";
  WriteBytes(source, dataFork);
  if (sidecar) WriteBytes(SidecarPath(source), SidecarBytes(fork));
  fs::create_directory(folder / "out");

  ListConverter converter;
  converter.CheckMulti(FolderItem(source));
  const bool converted = converter.FileConv(FolderItem(source), FolderItem(package));
  std::string problem;
  if (!converted && fs::exists(package)) problem = "a refused document left a package";
  for (const char* file : {"pref", "csv", "colAttr", "window"}) {
    if (converted && !fs::is_regular_file(package / file)) problem = std::string("no ") + file;
  }
  std::error_code ignored;
  if (fs::file_size(source, ignored) != dataFork.size()) problem = "the source changed";

  for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path(), ignored);
  return problem;
}

}  // namespace mac_bytes
