#include "list_converter.h"

#include <filesystem>
#include <new>

#include "col_attr_writer.h"
#include "csv_cell.h"
#include "package_writer.h"
#include "platform/binary_stream.h"
#include "platform/errors.h"
#include "platform/folder_item.h"
#include "platform/heap_trim.h"
#include "platform/resource_fork.h"
#include "platform/services.h"
#include "platform/string_helpers.h"
#include "platform/system_error_text.h"
#include "pref_writer.h"
#include "shared/globals.h"
#include "shared/legacy_document_reader.h"
#include "shared/text_enco.h"
#include "window_writer.h"

namespace {

using Kind = LegacyDocumentReader::Kind;

// Far beyond anything the legacy application could hold, and what keeps a
// conversion's memory small whatever a document claims: one cell is held at
// a time, but every column's name is held until `colAttr` is written.
constexpr std::int32_t kMaxCell = 16 << 20;  // bytes in one cell
constexpr std::int32_t kMaxColumns = 65536;
constexpr std::int32_t kMaxColumnNames = 4 << 20;  // bytes in all names together

// The reason shown for a failure. The core's own errors say it in Japanese;
// the standard library's are put in Japanese here.
std::string ReasonOf(const std::exception& e) {
  if (dynamic_cast<const FrameworkError*>(&e)) return e.what();
  if (dynamic_cast<const std::bad_alloc*>(&e)) return "メモリが足りなくなりました。";
  if (const auto* fs = dynamic_cast<const std::filesystem::filesystem_error*>(&e)) {
    return "「" + fs->path1().string() + "」を操作できませんでした（" +
           SystemErrorText(fs->code().value()) + "）。";
  }
  return std::string("予期しない問題が起きました（") + e.what() + "）。";
}

}  // namespace

ListConverter::ListConverter(Window* window) : window_(window) {}

bool ListConverter::FileConv(const FolderItem& source, const FolderItem& target) {
  // The last document's lists go with their storage, and their memory goes
  // back to the system, so that they add nothing to this document's peak.
  pCinfo = std::vector<std::int32_t>();
  pCname = std::vector<std::string>();
  pCcolor = std::vector<std::int32_t>();
  ReturnFreedMemory();
  // Whatever goes wrong inside one conversion, memory running out included,
  // ends here as a caution; the package writer and the streams have already
  // removed what they made on the way out.
  try {
    return Convert(source, target);
  } catch (const std::exception& e) {
    CautionNotConverted(window_, source.AbsolutePath(), ReasonOf(e));
  }
  return false;
}

bool ListConverter::Convert(const FolderItem& source, const FolderItem& target) {
  const std::unique_ptr<BinaryStream> stream = source.OpenAsBinaryFile(false);
  LegacyDocumentReader reader(*stream);
  const std::string version = ReadPreferenceBlock(reader);
  // The whole preference block is read before the version is judged, as the
  // legacy application did; only then is anything created.
  if (Val(version) != 1.0) {
    gCautionDlg1(window_, "このバージョンでは読み込めないフォーマットです。", "");
    return false;
  }
  const std::int32_t columnCount = pPref[1];
  const std::int32_t rowCount = pPref[2];
  PackageWriter package(target);
  FileConvPref(OpenPackageFile(package, "pref"));
  FileConvCSV(reader, columnCount, rowCount, OpenPackageFile(package, "csv"));
  FileConvColAttr(columnCount, OpenPackageFile(package, "colAttr"));
  FileConvWin(source, OpenPackageFile(package, "window"));
  stream->Close();
  package.Commit();
  return true;
}

LineSink& ListConverter::OpenPackageFile(PackageWriter& package, const std::string& name) {
  return package.Open(name);
}

std::string ListConverter::ReadPreferenceBlock(LegacyDocumentReader& reader) {
  // Every document starts clean, so that its package never depends on what
  // was converted before it.
  pPref.fill(0);
  pPrefS.fill(std::string());
  columnCountAt_ = 0;
  const std::string header = reader.ReadShortString({Kind::Header});
  const std::uint64_t numbersAt = reader.Position();
  const std::int32_t numbers = reader.ReadLong({Kind::PrefCount});
  if (numbers > static_cast<std::int32_t>(pPref.size())) {
    throw ReadError("プリファレンス数値が" + Str(numbers) + "個あり、読み込める" +
                        Str(static_cast<std::int64_t>(pPref.size())) + "個を超えています",
                    numbersAt);
  }
  for (std::int32_t i = 0; i < numbers; ++i) {
    if (i == 1) columnCountAt_ = reader.Position();
    pPref[i] = DoubleToInt32(Val(reader.ReadShortString({Kind::PrefNumber, i})));
    YieldToUI();
  }
  const std::uint64_t stringsAt = reader.Position();
  const std::int32_t strings = reader.ReadLong({Kind::StringCount});
  if (strings > static_cast<std::int32_t>(pPrefS.size())) {
    throw ReadError("プリファレンス文字列が" + Str(strings) + "個あり、読み込める" +
                        Str(static_cast<std::int64_t>(pPrefS.size())) + "個を超えています",
                    stringsAt);
  }
  for (std::int32_t i = 0; i < strings; ++i) {
    pPrefS[i] = reader.ReadShortString({Kind::PrefString, i});
    YieldToUI();
  }
  return std::string(NthField(header, ":", 2));
}

void ListConverter::FileConvPref(LineSink& out) const { WritePref(pPref, pPrefS, gPref, out); }

void ListConverter::ReadColumns(LegacyDocumentReader& reader, std::int32_t columnCount) {
  if (columnCount > kMaxColumns) {
    throw ReadError(
        "列が" + Str(columnCount) + "列あり、読み込める" + Str(kMaxColumns) + "列を超えています",
        columnCountAt_);
  }
  // A name is judged by its length before its bytes are read: alone it may
  // take the whole allowance, together with the names before it no more.
  std::int64_t namesTotal = 0;
  std::string name;
  for (std::int32_t i = 0; i < columnCount; ++i) {
    pCinfo.push_back(reader.ReadLong({Kind::ColumnInfo, i}));
    const std::uint64_t nameAt = reader.Position();
    const std::int32_t length = reader.ReadLength({Kind::ColumnName, i}, kMaxColumnNames);
    namesTotal += length;
    if (namesTotal > kMaxColumnNames) {
      throw ReadError("1列目から" + Str(i + 1) + "列目までの列名が合わせて" + Str(namesTotal) +
                          "バイトあり、読み込める" + Str(kMaxColumnNames) + "バイトを超えています",
                      nameAt);
    }
    reader.ReadBytes(length, name);
    pCname.push_back(gEncText(name, kShiftJIS, kUTF8));
    YieldToUI();
  }
  for (std::int32_t i = 0; i < columnCount; ++i) {
    pCcolor.push_back(reader.ReadLong({Kind::ColumnColour, i}));
    YieldToUI();
  }
}

void ListConverter::FileConvCSV(LegacyDocumentReader& reader, std::int32_t columnCount,
                                std::int32_t rowCount, LineSink& out) {
  ReadColumns(reader, columnCount);
  CsvWriter csv(out);
  std::string cell;  // reused from cell to cell: the one cell held
  for (std::int32_t row = 0; row < rowCount; ++row) {
    // Every row holds its first cell, whatever the column count.
    reader.ReadLongString({Kind::Cell, row, 0}, kMaxCell, cell);
    csv.WriteCell(cell, true);
    csv.Write(',');
    for (std::int32_t column = 1; column < columnCount; ++column) {
      if (column > 1) csv.Write(',');
      reader.ReadLongString({Kind::Cell, row, column}, kMaxCell, cell);
      csv.WriteCell(cell, false);
      YieldToUI();
    }
    csv.Write('\n');
    YieldToUI();
  }
  csv.Flush();
}

void ListConverter::FileConvColAttr(std::int32_t columnCount, LineSink& out) const {
  WriteColAttr(columnCount, pCinfo, pCname, pCcolor, out);
}

void ListConverter::FileConvWin(const FolderItem& source, LineSink& out) const {
  // No resource fork, or no 'WPos' 128 in it, gives the default geometry.
  const std::optional<ResourceFork> fork = source.OpenResourceFork();
  const std::string wpos = fork ? fork->GetResource("WPos", 128) : std::string();
  WriteWindow(WindowGeometryFromWPos(wpos, CurrentServices().ScreenHeight()), out);
}

bool ListConverter::CheckMulti(const FolderItem& file) {
  try {
    const std::unique_ptr<BinaryStream> stream = file.OpenAsBinaryFile(false);
    LegacyDocumentReader reader(*stream);
    const std::string version(NthField(reader.ReadShortString({Kind::Header}), ":", 2));
    // Preference number 3 only where the document has one.
    if (reader.ReadLong({Kind::PrefCount}) < 4) return false;
    std::string third;
    for (std::int32_t i = 0; i < 4; ++i) third = reader.ReadShortString({Kind::PrefNumber, i});
    stream->Close();
    return Val(version) == 1.0 && DoubleToInt32(Val(third)) > 0;
  } catch (const FrameworkError&) {
    return false;  // a document too short, or one that cannot be opened or read
  }
}

void CautionNotConverted(Window* window, const std::string& document, const std::string& reason) {
  gCautionDlg1(window, "書類を変換できませんでした。", "書類：" + document + "\n理由：" + reason);
}
