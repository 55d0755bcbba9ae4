#include "package_ledger.h"

#include <sys/stat.h>

#include "platform/folder_item.h"

namespace {

std::optional<std::pair<std::uint64_t, std::uint64_t>> IdentityOf(const FolderItem& item) {
  struct stat st;
  if (::stat(item.Path().c_str(), &st) != 0) return std::nullopt;
  return std::make_pair(static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino));
}

}  // namespace

void PackageLedger::Record(const FolderItem& source, const FolderItem& target) {
  if (auto identity = IdentityOf(target)) sources_.emplace(*identity, source.AbsolutePath());
}

std::optional<std::string> PackageLedger::WrittenFrom(const FolderItem& target) const {
  const auto identity = IdentityOf(target);
  if (!identity) return std::nullopt;
  const auto found = sources_.find(*identity);
  if (found == sources_.end()) return std::nullopt;
  return found->second;
}
