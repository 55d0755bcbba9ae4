#include "list_converter.h"

#include <filesystem>

#include "col_attr_writer.h"
#include "conversion_error.h"
#include "csv_cell.h"
#include "legacy_document_reader.h"
#include "package_writer.h"
#include "platform/binary_stream.h"
#include "platform/errors.h"
#include "platform/folder_item.h"
#include "platform/resource_fork.h"
#include "platform/services.h"
#include "platform/strings.h"
#include "pref_writer.h"
#include "shared/globals.h"
#include "shared/text_enco.h"
#include "window_writer.h"

namespace {

using Kind = LegacyDocumentReader::Kind;

const std::string kShiftJIS = "Shift-JIS";
const std::string kUTF8 = "UTF-8";

std::unique_ptr<BinaryStream> OpenSource(const FolderItem& source) {
  try {
    return source.OpenAsBinaryFile(false);
  } catch (const NilObjectException& e) {
    throw ConversionError(std::string("書類を開けませんでした（") + e.what() + "）。");
  }
}

std::string Detail(const std::exception& e) { return std::string("（") + e.what() + "）。"; }

}  // namespace

ListConverter::ListConverter(Window* window) : window_(window) {}

bool ListConverter::FileConv(const FolderItem& source, const FolderItem& target) {
  pCinfo.clear();
  pCname.clear();
  pCcolor.clear();
  try {
    return Convert(source, target);
  } catch (const ConversionError& e) {
    CautionNotConverted(source, e.what());
  } catch (const ReadError& e) {
    CautionNotConverted(source, "書類を読み込めませんでした（先頭から" +
                                    Str(static_cast<std::int64_t>(e.offset())) + "バイト目、" +
                                    e.what() + "）。");
  } catch (const NilObjectException& e) {
    CautionNotConverted(source, "必要なファイルを開けませんでした" + Detail(e));
  } catch (const OutOfBoundsException& e) {
    CautionNotConverted(source, "書類の内容が範囲を超えています" + Detail(e));
  } catch (const FrameworkError& e) {
    CautionNotConverted(source, "読み書きに失敗しました" + Detail(e));
  } catch (const std::filesystem::filesystem_error& e) {
    CautionNotConverted(source, "ファイルの操作に失敗しました" + Detail(e));
  }
  return false;
}

bool ListConverter::Convert(const FolderItem& source, const FolderItem& target) {
  const std::unique_ptr<BinaryStream> stream = OpenSource(source);
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
  FileConvPref(package.Open("pref"));
  FileConvCSV(reader, columnCount, rowCount, package.Open("csv"));
  FileConvColAttr(columnCount, package.Open("colAttr"));
  FileConvWin(source, package.Open("window"));
  stream->Close();
  package.Commit();
  return true;
}

std::string ListConverter::ReadPreferenceBlock(LegacyDocumentReader& reader) {
  // Every document starts clean, so that its package never depends on what
  // was converted before it.
  pPref.fill(0);
  pPrefS.fill(std::string());
  const std::string header = reader.ReadShortString({Kind::Header});
  const std::int32_t numbers = reader.ReadLong({Kind::PrefCount});
  if (numbers > static_cast<std::int32_t>(pPref.size())) {
    throw ConversionError("プリファレンス数値が" + Str(numbers) + "個あり、読み込める" +
                          Str(static_cast<std::int64_t>(pPref.size())) + "個を超えています。");
  }
  for (std::int32_t i = 0; i < numbers; ++i) {
    pPref[i] = DoubleToInt32(Val(reader.ReadShortString({Kind::PrefNumber, i})));
    YieldToUI();
  }
  const std::int32_t strings = reader.ReadLong({Kind::StringCount});
  if (strings > static_cast<std::int32_t>(pPrefS.size())) {
    throw ConversionError("プリファレンス文字列が" + Str(strings) + "個あり、読み込める" +
                          Str(static_cast<std::int64_t>(pPrefS.size())) + "個を超えています。");
  }
  for (std::int32_t i = 0; i < strings; ++i) {
    pPrefS[i] = reader.ReadShortString({Kind::PrefString, i});
    YieldToUI();
  }
  return NthField(header, ":", 2);
}

void ListConverter::FileConvPref(LineSink& out) const { WritePref(pPref, pPrefS, gPref, out); }

void ListConverter::ReadColumns(LegacyDocumentReader& reader, std::int32_t columnCount) {
  for (std::int32_t i = 0; i < columnCount; ++i) {
    pCinfo.push_back(reader.ReadLong({Kind::ColumnInfo, i}));
    pCname.push_back(gEncText(reader.ReadLongString({Kind::ColumnName, i}), kShiftJIS, kUTF8));
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
  std::string cell;  // both reused from row to row
  std::string line;
  for (std::int32_t row = 0; row < rowCount; ++row) {
    // Every row holds its first cell, whatever the column count. It may be
    // UTF-8 or UTF-16 already; gEncSJIS brings it to Shift-JIS first so that
    // the whole line ends up UTF-8.
    reader.ReadLongString({Kind::Cell, row, 0}, cell);
    line.clear();
    AppendCsvCell(line, gEncText(gEncSJIS(cell), kShiftJIS, kUTF8));
    line.push_back(',');
    for (std::int32_t column = 1; column < columnCount; ++column) {
      if (column > 1) line.push_back(',');
      reader.ReadLongString({Kind::Cell, row, column}, cell);
      AppendCsvCell(line, gEncText(cell, kShiftJIS, kUTF8));
      YieldToUI();
    }
    out.WriteLine(line);
    YieldToUI();
  }
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
    const std::string version = NthField(reader.ReadShortString({Kind::Header}), ":", 2);
    // Preference number 3 only where the document has one.
    if (reader.ReadLong({Kind::PrefCount}) < 4) return false;
    std::string third;
    for (std::int32_t i = 0; i < 4; ++i) third = reader.ReadShortString({Kind::PrefNumber, i});
    stream->Close();
    return Val(version) == 1.0 && DoubleToInt32(Val(third)) > 0;
  } catch (const ConversionError&) {
    return false;  // a document this short is not a multi-list one
  } catch (const FrameworkError&) {
    return false;  // nor is one that cannot be opened or read
  }
}

void ListConverter::CautionNotConverted(const FolderItem& source, const std::string& reason) const {
  gCautionDlg1(window_, "書類を変換できませんでした。",
               "書類：" + source.AbsolutePath() + "\n理由：" + reason);
}
