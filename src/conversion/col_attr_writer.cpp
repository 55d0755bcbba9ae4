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
  out.WriteLine("<dict>");
  WriteKey(out, "columnAlign");
  WriteInteger(out, gBitR(info, 0, 4));
  WriteKey(out, "columnAuto");
  WriteInteger(out, gBitR(info, 15, 1));
  WriteKey(out, "columnBold");
  WriteInteger(out, gBitR(info, 4, 1));
  WriteKey(out, "columnColorBlue");
  WriteReal(out, rgb.low);
  WriteKey(out, "columnColorGreen");
  WriteReal(out, rgb.middle);
  WriteKey(out, "columnColorRed");
  WriteReal(out, rgb.high);
  WriteKey(out, "columnItalic");
  WriteInteger(out, gBitR(info, 5, 1));
  WriteKey(out, "columnKind");
  WriteInteger(out, gBitR(info, 7, 2));
  WriteKey(out, "columnName");
  WriteString(out, name);
  WriteKey(out, "columnNumb");
  WriteInteger(out, gBitR(info, 9, 6));
  WriteKey(out, "columnUline");
  WriteInteger(out, gBitR(info, 6, 1));
  WriteKey(out, "columnWidth");
  WriteReal(out, gBitR(info, 16, 16));  // signed: bit 31 set gives a negative width
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
