// Arbitrary bytes through the guess, every pair of encodings and the writer
// of a csv cell. Nothing may fail, UTF-8 output must be valid, and Mac OS
// Japanese that reads without a replacement character must come back byte for
// byte. Each fast path gives what its plain twin gives: the table path to
// UTF-8 and the general decoder, the block scan for quotes and the byte loop,
// a cell written (its quotes decided from its Shift-JIS bytes) and the same
// cell converted whole and then looked at, a cell written in pieces and the
// same cell written whole.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/csv_cell.h"
#include "platform/japanese_guess.h"
#include "platform/mac_japanese/mac_japanese_codec.h"
#include "platform/pivot_converter.h"
#include "platform/text_encoding.h"
#include "platform/utf8.h"
#include "platform/utf8_codec.h"
#include "shared/text_enco.h"
#include "support/string_line_sink.h"

namespace {

struct Pair {
  const TextEncoding* target;
  std::unique_ptr<TextConverter> converter;
};

std::vector<Pair> MakeAllPairs() {
  const TextEncoding* all[] = {Encodings::UTF8(),        Encodings::UTF16(),
                               Encodings::MacJapanese(), Encodings::ShiftJIS(),
                               GetTextEncoding(0x0920),  GetTextEncoding(0x0820)};
  std::vector<Pair> pairs;
  for (const TextEncoding* source : all) {
    for (const TextEncoding* target : all)
      pairs.push_back({target, GetTextConverter(source, target)});
  }
  return pairs;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

bool NeedsQuotesByteByByte(std::string_view text) {
  for (char c : text) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

// The cell converted whole, then looked at.
std::string PlainCsvCell(const std::string& cell, bool firstCell) {
  const std::string utf8 = gEncText(firstCell ? gEncSJIS(cell) : cell, kShiftJIS, kUTF8);
  if (!NeedsQuotesByteByByte(utf8)) return utf8;
  std::string quoted = "\"";
  for (char c : utf8) quoted.append(c == '"' ? 2 : 1, c);
  return quoted + '"';
}

// The cell as the writer writes it; in pieces of `pieceBytes`, unless 0.
std::string WrittenCsvCell(const std::string& cell, bool firstCell, std::size_t pieceBytes) {
  StringLineSink sink;
  CsvWriter csv(sink);
  if (pieceBytes == 0)
    csv.WriteCell(cell, firstCell);
  else
    csv.WriteCellInPieces(cell, firstCell, pieceBytes);
  csv.Flush();
  return sink.text;
}

void CheckCsvCell(const std::string& cell, bool firstCell, std::size_t pieceBytes) {
  const std::string whole = WrittenCsvCell(cell, firstCell, 0);
  Check(whole == PlainCsvCell(cell, firstCell));
  Check(WrittenCsvCell(cell, firstCell, pieceBytes) == whole);
}

}  // namespace

// The cached converters, as the program builds them when its window opens.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gEncInit();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::vector<Pair> pairs = MakeAllPairs();
  static auto macToUtf8 = GetTextConverter(Encodings::MacJapanese(), Encodings::UTF8());
  static auto utf8ToMac = GetTextConverter(Encodings::UTF8(), Encodings::MacJapanese());
  static PivotConverter generalMacToUtf8(std::make_unique<MacJapaneseCodec>(),
                                         std::make_unique<Utf8Codec>());
  const std::string text(reinterpret_cast<const char*>(data), size);

  GuessJapaneseEncoding(text);
  gEncSJIS(text);
  for (Pair& pair : pairs) {
    Check(pair.converter != nullptr);
    const std::string output = pair.converter->convert(text);
    if (pair.target == Encodings::UTF8()) Check(IsValidUtf8(output));
  }

  const std::string utf8 = macToUtf8->convert(text);
  Check(utf8 == generalMacToUtf8.convert(text));
  if (utf8.find("\uFFFD") == std::string::npos) Check(utf8ToMac->convert(utf8) == text);

  Check(NeedsQuotes(text) == NeedsQuotesByteByByte(text));
  Check(NeedsQuotes(utf8) == NeedsQuotesByteByByte(utf8));
  const std::size_t pieceBytes = 32 + (size > 0 ? data[0] % 32 : 0);
  CheckCsvCell(text, false, pieceBytes);
  CheckCsvCell(text, true, pieceBytes);
  return 0;
}
