#pragma once
// Turns one legacy list document into a document package: a folder holding
// `pref`, `csv`, `colAttr` and `window`. Holds the current document's state,
// which the main window owns through one converter.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BinaryStream;
class FolderItem;
class LegacyDocumentReader;
class LineSink;
class PackageWriter;
class Window;

// The caution for a document that was not converted: the fixed message, the
// document's path and the reason, on `window` (nullptr: application-modal).
void CautionNotConverted(Window* window, const std::string& document, const std::string& reason);

class ListConverter {
 public:
  // Cautions are shown as sheets on `window` (nullptr: application-modal).
  explicit ListConverter(Window* window = nullptr);
  virtual ~ListConverter() = default;

  // Converts `source` into the package folder `target` (which need not
  // exist). Reports a wrong format version or an unreadable document through
  // a caution; returns true when the package was written. The source is only
  // read; on failure no package file changes and nothing is left behind.
  bool FileConv(const FolderItem& source, const FolderItem& target);
  // True for a readable version-1 document that has a preference number 3
  // and that number is greater than 0.
  bool CheckMulti(const FolderItem& file);

  // The four package files, each written to `out`; FileConv hands them the
  // package's temporaries. `pref` from pPref, pPrefS and gPref.
  void FileConvPref(LineSink& out) const;
  // Reads the column, colour and row blocks into pCinfo, pCname and pCcolor
  // (appending) and writes one `csv` line per row, holding one cell and
  // about 64 KiB of written text at a time. Throws ReadError when the
  // document ends early.
  void FileConvCSV(LegacyDocumentReader& reader, std::int32_t columnCount, std::int32_t rowCount,
                   LineSink& out);
  // `colAttr` from pCinfo, pCname and pCcolor.
  void FileConvColAttr(std::int32_t columnCount, LineSink& out) const;
  // `window` from the source's 'WPos' 128 resource and the screen height.
  void FileConvWin(const FolderItem& source, LineSink& out) const;

  // The current document's state.
  std::array<std::int32_t, 51> pPref{};
  std::array<std::string, 21> pPrefS{};
  std::vector<std::int32_t> pCinfo;
  std::vector<std::string> pCname;
  std::vector<std::int32_t> pCcolor;

 protected:
  // The sink that the package file `name` ("pref", "csv", "colAttr" or
  // "window") is written to, opened on `package`; a subclass may wrap it.
  virtual LineSink& OpenPackageFile(PackageWriter& package, const std::string& name);

 private:
  bool Convert(const FolderItem& source, const FolderItem& target);
  // Clears pPref and pPrefS, reads the header and the preference block, and
  // returns the format version text.
  std::string ReadPreferenceBlock(LegacyDocumentReader& reader);
  void ReadColumns(LegacyDocumentReader& reader, std::int32_t columnCount);

  Window* window_;
  // Where the column count (preference number 2) begins, in bytes from the
  // start of the document; 0 when the document has none.
  std::uint64_t columnCountAt_ = 0;
};
