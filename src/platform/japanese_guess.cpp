#include "platform/japanese_guess.h"

#include <cstdint>

#include "platform/mac_japanese/mac_japanese_table.h"
#include "platform/text_encoding.h"
#include "platform/utf8.h"

namespace {

// Each check below reads one byte at a time and stays false once it fails.

struct Utf8Check {
  Utf8Scanner scanner;
  bool valid = true;
  void feed(std::uint8_t byte) {
    const Utf8Scanner::Step step = scanner.feed(byte);
    if (step == Utf8Scanner::Step::Invalid || step == Utf8Scanner::Step::Retry) valid = false;
  }
  bool finish() const { return valid && !scanner.pending(); }
};

// Every byte and pair is a character of the Mac OS Japanese map.
struct MacJapaneseCheck {
  int leadRow = -1;  // row of a lead byte waiting for its trail
  bool valid = true;
  void feed(std::uint8_t byte) {
    using namespace mac_japanese;
    if (leadRow >= 0) {
      valid = valid && IsTrail(byte) && kTwoByte[leadRow][byte - kTrailFirst] != kUnmapped;
      leadRow = -1;
    } else if (LeadRow(byte) >= 0) {
      leadRow = LeadRow(byte);
    } else {
      valid = valid && kOneByte[byte] != kUnmapped;
    }
  }
  bool finish() const { return valid && leadRow < 0; }
};

// EUC-JP's byte structure: ASCII; 0x8E and a half-width katakana byte;
// 0x8F and two bytes of JIS X 0212; two bytes of JIS X 0208.
struct EucJpCheck {
  int needed = 0;
  bool kana = false;  // the byte awaited follows 0x8E
  bool valid = true;
  void feed(std::uint8_t byte) {
    if (needed > 0) {
      const bool ok = kana ? (byte >= 0xA1 && byte <= 0xDF) : (byte >= 0xA1 && byte <= 0xFE);
      valid = valid && ok;
      --needed;
      kana = false;
    } else if (byte == 0x8E) {
      needed = 1;
      kana = true;
    } else if (byte == 0x8F) {
      needed = 2;
    } else if (byte >= 0xA1 && byte <= 0xFE) {
      needed = 1;
    } else {
      valid = valid && byte < 0x80;
    }
  }
  bool finish() const { return valid && needed == 0; }
};

bool StartsWithByteOrderMark(std::string_view text) {
  if (text.size() < 2) return false;
  const auto first = static_cast<std::uint8_t>(text[0]);
  const auto second = static_cast<std::uint8_t>(text[1]);
  return (first == 0xFE && second == 0xFF) || (first == 0xFF && second == 0xFE);
}

}  // namespace

JapaneseGuess GuessJapanese(std::string_view text) {
  if (StartsWithByteOrderMark(text)) return JapaneseGuess::UTF16;
  const bool evenLength = text.size() % 2 == 0;
  bool hasEscape = false, hasHigh = false, highAllKana = true;
  Utf8Check utf8;
  MacJapaneseCheck macJapanese;
  EucJpCheck eucJp;
  for (char c : text) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte == 0x00 && evenLength) return JapaneseGuess::UTF16;
    hasEscape = hasEscape || byte == 0x1B;
    if (byte > 0x7F) {
      hasHigh = true;
      highAllKana = highAllKana && byte >= 0xA1 && byte <= 0xDF;
    }
    // A check that has failed is not fed again: most texts fail all but one early.
    if (utf8.valid) utf8.feed(byte);
    if (macJapanese.valid) macJapanese.feed(byte);
    if (eucJp.valid) eucJp.feed(byte);
  }
  if (!hasHigh) return hasEscape ? JapaneseGuess::ISO2022JP : JapaneseGuess::Unsure;
  if (utf8.finish() && !highAllKana) return JapaneseGuess::UTF8;
  if (macJapanese.finish()) return JapaneseGuess::ShiftJIS;
  if (eucJp.finish()) return JapaneseGuess::EUCJP;
  return JapaneseGuess::Unsure;
}

const TextEncoding* GuessJapaneseEncoding(std::string_view text) {
  switch (GuessJapanese(text)) {
    case JapaneseGuess::UTF16: return Encodings::UTF16();
    case JapaneseGuess::ISO2022JP: return GetTextEncoding(0x0820);
    case JapaneseGuess::UTF8: return Encodings::UTF8();
    case JapaneseGuess::ShiftJIS: return Encodings::ShiftJIS();
    case JapaneseGuess::EUCJP: return GetTextEncoding(0x0920);
    case JapaneseGuess::Unsure: break;
  }
  return nullptr;
}
