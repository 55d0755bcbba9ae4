#include "col_attr_writer.h"

#include "colour_word.h"
#include "platform/errors.h"
#include "platform/services.h"
#include "platform/string_helpers.h"
#include "plist_text.h"
#include "shared/globals.h"

namespace {

// One column's dict; the keys in ASCII order.
void WriteColumn(std::int32_t info, const std::string& name, std::int32_t colour, LineSink& out) {
  const ColourParts rgb = SplitColourWord(colour);  // red high, blue low
  const PlistEntry entries[] = {
      {"columnAlign", PlistEntry::Integer, gBitR(info, 0, 4)},
      {"columnAuto", PlistEntry::Integer, gBitR(info, 15, 1)},
      {"columnBold", PlistEntry::Integer, gBitR(info, 4, 1)},
      {"columnColorBlue", PlistEntry::Real, rgb.low},
      {"columnColorGreen", PlistEntry::Real, rgb.middle},
      {"columnColorRed", PlistEntry::Real, rgb.high},
      {"columnItalic", PlistEntry::Integer, gBitR(info, 5, 1)},
      {"columnKind", PlistEntry::Integer, gBitR(info, 7, 2)},
      {"columnName", PlistEntry::String, 0, name},
      {"columnNumb", PlistEntry::Integer, gBitR(info, 9, 6)},
      {"columnUline", PlistEntry::Integer, gBitR(info, 6, 1)},
      // signed: bit 31 set gives a negative width
      {"columnWidth", PlistEntry::Real, gBitR(info, 16, 16)},
  };
  out.WriteLine("<dict>");
  WritePlistEntries(out, entries);
  out.WriteLine("</dict>");
}

}  // namespace

void WriteColAttr(std::int32_t columnCount, const std::vector<std::int32_t>& pCinfo,
                  const std::vector<std::string>& pCname, const std::vector<std::int32_t>& pCcolor,
                  LineSink& out) {
  const auto count = static_cast<std::size_t>(columnCount < 0 ? 0 : columnCount);
  if (pCinfo.size() < count || pCname.size() < count || pCcolor.size() < count) {
    throw OutOfBoundsException("列の情報が列数（" + Str(columnCount) +
                               "）より少なくなっています。");
  }
  WritePlistHead(out);
  for (std::size_t i = 0; i < count; ++i) {
    WriteKey(out, Str(static_cast<std::int64_t>(i)));
    WriteColumn(pCinfo[i], pCname[i], pCcolor[i], out);
    YieldToUI();
  }
  WritePlistTail(out);
}
