#include "pref_writer.h"

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

}  // namespace

void WritePref(const std::array<std::int32_t, 51>& pPref, const std::array<std::string, 21>& pPrefS,
               const std::array<std::int32_t, 51>& gPref, LineSink& out) {
  // The background word keeps blue high and red low; the highlight word the
  // other way round.
  const ColourParts background = SplitColourWord(pPref[19]);
  const ColourParts highlight = SplitColourWord(pPref[22]);
  const std::string fontName = gEncText(pPrefS[0], kShiftJIS, kUTF8);
  const PlistEntry entries[] = {
      {"bgClrBlue", PlistEntry::Real, background.high},
      {"bgClrCng", PlistEntry::Integer, pPref[17]},
      {"bgClrGreen", PlistEntry::Real, background.middle},
      {"bgClrOdd", PlistEntry::Integer, pPref[18]},
      {"bgClrRed", PlistEntry::Real, background.low},
      {"cellFontName", PlistEntry::String, 0, fontName},
      {"cellFontSize", PlistEntry::Integer, pPref[50]},
      {"cellLineH", PlistEntry::Integer, CellLine(pPref[15])},
      {"cellLineV", PlistEntry::Integer, CellLine(pPref[16])},
      {"headerKind", PlistEntry::Integer, pPref[20]},
      {"hiClrBlue", PlistEntry::Real, highlight.low},
      {"hiClrCng", PlistEntry::Integer, pPref[21]},
      {"hiClrGreen", PlistEntry::Real, highlight.middle},
      {"hiClrRed", PlistEntry::Real, highlight.high},
      {"rowKind", PlistEntry::Integer, pPref[3]},
      {"scrollKind", PlistEntry::Integer, gPref[21]},
      {"winGeo", PlistEntry::Integer, gPref[22] == 0 ? 1 : 0},
  };
  WritePlistHead(out);
  WritePlistEntries(out, entries);
  WritePlistTail(out);
}
