#pragma once
// The Mac OS Japanese map as constant tables; mac_japanese_table.cpp is
// generated from JAPANESE.TXT by gen_mac_japanese_table.py.

#include <cstddef>
#include <cstdint>

namespace mac_japanese {

// Table values other than code points: a code with no character, and a code
// whose character is a sequence of several code points (see kSequences).
inline constexpr std::uint16_t kUnmapped = 0xFFFF;
inline constexpr std::uint16_t kSequence = 0xFFFE;

// Lead bytes 0x81-0x9F and 0xE0-0xFC; trail bytes 0x40-0xFC.
inline constexpr std::size_t kLeadCount = 60;
inline constexpr std::size_t kTrailCount = 189;
inline constexpr std::uint8_t kTrailFirst = 0x40;
inline constexpr std::uint8_t kTrailLast = 0xFC;
inline constexpr std::size_t kSequenceCount = 56;
inline constexpr std::size_t kMaxSequenceLength = 5;

// Row of a lead byte in kTwoByte, or -1 when the byte does not lead a pair.
constexpr int LeadRow(std::uint8_t byte) {
  if (byte >= 0x81 && byte <= 0x9F) return byte - 0x81;
  if (byte >= 0xE0 && byte <= 0xFC) return byte - 0xE0 + 31;
  return -1;
}
constexpr bool IsTrail(std::uint8_t byte) { return byte >= kTrailFirst && byte <= kTrailLast; }

// One code mapped to several code points; `points` beyond `length` are 0.
struct Sequence {
  std::uint16_t code;
  std::uint8_t length;
  std::uint16_t points[kMaxSequenceLength];
};

// The code point of each one-byte code; kUnmapped for lead bytes.
extern const std::uint16_t kOneByte[256];
// The code point of each two-byte code, by LeadRow and trail byte - 0x40.
extern const std::uint16_t kTwoByte[kLeadCount][kTrailCount];
// The codes marked kSequence, in code order.
extern const Sequence kSequences[kSequenceCount];

}  // namespace mac_japanese
