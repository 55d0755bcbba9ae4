#pragma once
// Eight bytes at a time, for the scans that skip runs of plain ASCII.

#include <cstdint>
#include <cstring>

inline std::uint64_t LoadWord(const std::uint8_t* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

inline constexpr std::uint64_t kEachByte = 0x0101010101010101ULL;

inline bool HasHighByte(std::uint64_t word) { return (word & (kEachByte * 0x80)) != 0; }

// Whether any of the eight bytes equals `value` (exact, not an estimate).
inline bool HasByte(std::uint64_t word, std::uint8_t value) {
  const std::uint64_t x = word ^ (kEachByte * value);
  return ((x - kEachByte) & ~x & (kEachByte * 0x80)) != 0;
}
