// Mac metadata readers on arbitrary bytes: the input is taken as an
// AppleDouble file (a "._NAME" sidecar, a .AppleDouble record or a
// user.org.netatalk.Metadata attribute), as a bare resource fork
// (com.apple.ResourceFork, Samba's AFP_Resource) and as Samba's AFP_AfpInfo.
// None of them may crash, read out of bounds or allocate more than the input
// holds; whatever parses must answer consistently.
//
//   mac_metadata_fuzz fuzz/corpus/mac_metadata_fuzz

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/apple_double.h"
#include "platform/errors.h"
#include "platform/mac_metadata.h"
#include "platform/resource_fork.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void Fork(const std::optional<ResourceFork>& fork, std::size_t inputSize) {
  if (!fork) return;
  Check(fork->Resources().size() * 12 <= inputSize);
  for (const ResourceFork::Resource& r : fork->Resources()) {
    Check(r.type.size() == 4);
    Check(fork->GetResource(r.type, r.id).size() <= inputSize);
  }
  (void)fork->GetResource("WPos", 128);
}

std::optional<ResourceFork> ParsedFork(const std::string& bytes) {
  try {
    return ResourceFork::Parse(bytes);
  } catch (const ReadError&) {
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string_view view(bytes);

  // As an AppleDouble file: whatever is refused says why and where.
  try {
    const AppleDouble ad = AppleDouble::Parse(view);
    for (const AppleDouble::Entry& e : ad.Entries()) {
      Check(std::uint64_t{e.offset} + e.length <= size);
    }
    Check(ad.Version() == AppleDouble::kVersion1 || ad.Version() == AppleDouble::kVersion2);
  } catch (const ReadError& e) {
    Check(!e.reason().empty() && e.offset() < 26);
  }
  if (auto info = mac_metadata::FinderInfoFromAppleDouble(view)) {
    Check(!info->IsZero());
    Check(info->Type().size() == 4 && info->Creator().size() == 4);
  }
  Fork(mac_metadata::ResourceForkFromAppleDouble(bytes), size);

  // As a bare resource fork.
  Fork(ParsedFork(bytes), size);

  // As Finder info and as Samba's AFP_AfpInfo.
  (void)mac_metadata::FinderInfoFromAttribute(view);
  (void)mac_metadata::FinderInfoFromAfpInfo(view);
  return 0;
}
