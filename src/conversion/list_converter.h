#pragma once
// Turns one legacy list document into a document package: a folder holding
// `pref`, `csv`, `colAttr` and `window`. Holds the current document's state,
// which the main window owns through one converter.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class FolderItem;
class Window;

class ListConverter {
 public:
  // Cautions are shown as sheets on `window` (nullptr: application-modal).
  explicit ListConverter(Window* window = nullptr);

  // Converts `source` into the package folder `target` (which need not
  // exist). Reports a wrong format version or an unreadable document through
  // a caution; returns true when the package was written.
  bool FileConv(const FolderItem& source, const FolderItem& target);
  // True for a readable version-1 document whose preference number 3 is
  // greater than 0.
  bool CheckMulti(const FolderItem& file);

  // The current document's state.
  std::array<std::int32_t, 51> pPref{};
  std::array<std::string, 21> pPrefS{};
  std::vector<std::int32_t> pCinfo;
  std::vector<std::string> pCname;
  std::vector<std::int32_t> pCcolor;

 private:
  Window* window_;
};
