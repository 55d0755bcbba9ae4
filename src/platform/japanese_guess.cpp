#include "platform/japanese_guess.h"

#include <cstdint>
#include <cstring>

#include "platform/byte_words.h"
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

bool HasNul(const std::uint8_t* s, const std::uint8_t* end) {
  return std::memchr(s, 0, static_cast<std::size_t>(end - s)) != nullptr;
}

// The rest of a text once only Mac OS Japanese is in question, read by
// characters; a NUL still makes a text of even length UTF-16.
JapaneseGuess FinishAsMacJapanese(const std::uint8_t* s, const std::uint8_t* end, bool evenLength) {
  using namespace mac_japanese;
  while (s < end) {
    const int row = LeadRow(*s);
    if (row >= 0) {
      if (end - s < 2 || !IsTrail(s[1]) || kTwoByte[row][s[1] - kTrailFirst] == kUnmapped) break;
      s += 2;
    } else {
      if ((*s == 0x00 && evenLength) || kOneByte[*s] == kUnmapped) break;
      ++s;
    }
  }
  if (s == end) return JapaneseGuess::ShiftJIS;
  return evenLength && HasNul(s, end) ? JapaneseGuess::UTF16 : JapaneseGuess::Unsure;
}

// Every rule at once, a byte at a time, until only Mac OS Japanese is left
// in question (UTF-8 and EUC-JP have failed, a byte above 0x7F was seen).
class Scan {
 public:
  void feed(std::uint8_t byte) {
    hasEscape_ = hasEscape_ || byte == 0x1B;
    if (byte > 0x7F) {
      hasHigh_ = true;
      highAllKana_ = highAllKana_ && byte >= 0xA1 && byte <= 0xDF;
    }
    // A check that has failed is not fed again.
    if (utf8_.valid) utf8_.feed(byte);
    if (macJapanese_.valid) macJapanese_.feed(byte);
    if (eucJp_.valid) eucJp_.feed(byte);
  }
  // Between characters for every check, so a run of ASCII changes nothing.
  bool betweenCharacters() const {
    return !utf8_.scanner.pending() && macJapanese_.leadRow < 0 && eucJp_.needed == 0;
  }
  bool onlyMacJapaneseLeft() const {
    return hasHigh_ && !utf8_.valid && !eucJp_.valid && macJapanese_.leadRow < 0;
  }
  bool macJapaneseValid() const { return macJapanese_.valid; }
  JapaneseGuess verdict() const {
    if (!hasHigh_) return hasEscape_ ? JapaneseGuess::ISO2022JP : JapaneseGuess::Unsure;
    if (utf8_.finish() && !highAllKana_) return JapaneseGuess::UTF8;
    if (macJapanese_.finish()) return JapaneseGuess::ShiftJIS;
    if (eucJp_.finish()) return JapaneseGuess::EUCJP;
    return JapaneseGuess::Unsure;
  }

 private:
  bool hasEscape_ = false, hasHigh_ = false, highAllKana_ = true;
  Utf8Check utf8_;
  MacJapaneseCheck macJapanese_;
  EucJpCheck eucJp_;
};

// Eight bytes of ASCII with no NUL and no ESC: nothing in them decides.
bool IsQuietAscii(const std::uint8_t* s) {
  const std::uint64_t word = LoadWord(s);
  return !HasHighByte(word) && !HasByte(word, 0x00) && !HasByte(word, 0x1B);
}

}  // namespace

JapaneseGuess GuessJapanese(std::string_view text) {
  if (StartsWithByteOrderMark(text)) return JapaneseGuess::UTF16;
  const bool evenLength = text.size() % 2 == 0;
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto* end = s + text.size();
  Scan scan;
  while (s < end) {
    if (end - s >= 8 && scan.betweenCharacters() && IsQuietAscii(s)) {
      s += 8;
      continue;
    }
    const std::uint8_t byte = *s++;
    if (byte == 0x00 && evenLength) return JapaneseGuess::UTF16;
    scan.feed(byte);
    if (scan.onlyMacJapaneseLeft()) {
      if (scan.macJapaneseValid()) return FinishAsMacJapanese(s, end, evenLength);
      return evenLength && HasNul(s, end) ? JapaneseGuess::UTF16 : JapaneseGuess::Unsure;
    }
  }
  return scan.verdict();
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
