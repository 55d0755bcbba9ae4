#include "package_ledger.h"

void PackageLedger::Record(const FolderItem& source, const FolderItem& target) {
  if (auto identity = target.Identity()) sources_.emplace(*identity, source.AbsolutePath());
}

std::optional<std::string> PackageLedger::WrittenFrom(const FolderItem& target) const {
  const auto identity = target.Identity();
  if (!identity) return std::nullopt;
  const auto found = sources_.find(*identity);
  if (found == sources_.end()) return std::nullopt;
  return found->second;
}
