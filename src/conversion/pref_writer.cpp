#include "pref_writer.h"

#include <vector>

#include "colour_word.h"
#include "plist_text.h"
#include "shared/text_enco.h"

namespace {

// Slot minus one, wrapping like the 32-bit arithmetic of the stored files
// (the smallest Int32 becomes the largest), then no lower than 0.
std::int32_t CellLine(std::int32_t slot) {
  const auto line = static_cast<std::int32_t>(static_cast<std::uint32_t>(slot) - 1u);
  return line < 0 ? 0 : line;
}

struct Entry {
  enum Kind { Integer, Real, String };
  const char* key;
  Kind kind;
  std::int64_t number;
  std::string text = {};
};

}  // namespace

void WritePref(const std::array<std::int32_t, 51>& pPref, const std::array<std::string, 21>& pPrefS,
               const std::array<std::int32_t, 51>& gPref, LineSink& out) {
  // The background word keeps blue high and red low; the highlight word the
  // other way round.
  const ColourParts background = SplitColourWord(pPref[19]);
  const ColourParts highlight = SplitColourWord(pPref[22]);
  const std::vector<Entry> entries = {
      {"bgClrBlue", Entry::Real, background.high},
      {"bgClrCng", Entry::Integer, pPref[17]},
      {"bgClrGreen", Entry::Real, background.middle},
      {"bgClrOdd", Entry::Integer, pPref[18]},
      {"bgClrRed", Entry::Real, background.low},
      {"cellFontName", Entry::String, 0, gEncText(pPrefS[0], kShiftJIS, kUTF8)},
      {"cellFontSize", Entry::Integer, pPref[50]},
      {"cellLineH", Entry::Integer, CellLine(pPref[15])},
      {"cellLineV", Entry::Integer, CellLine(pPref[16])},
      {"headerKind", Entry::Integer, pPref[20]},
      {"hiClrBlue", Entry::Real, highlight.low},
      {"hiClrCng", Entry::Integer, pPref[21]},
      {"hiClrGreen", Entry::Real, highlight.middle},
      {"hiClrRed", Entry::Real, highlight.high},
      {"rowKind", Entry::Integer, pPref[3]},
      {"scrollKind", Entry::Integer, gPref[21]},
      {"winGeo", Entry::Integer, gPref[22] == 0 ? 1 : 0},
  };
  WritePlistHead(out);
  for (const Entry& entry : entries) {
    WriteKey(out, entry.key);
    if (entry.kind == Entry::Integer) WriteInteger(out, entry.number);
    if (entry.kind == Entry::Real) WriteReal(out, entry.number);
    if (entry.kind == Entry::String) WriteString(out, entry.text);
  }
  WritePlistTail(out);
}
