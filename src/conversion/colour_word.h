#pragma once
// A legacy colour word split into its three parts.

#include <cstdint>

struct ColourParts {
  std::int32_t high;    // word / 65536
  std::int32_t middle;  // what is left, / 256
  std::int32_t low;     // what is left after that
};

// Signed division truncating toward zero, no masking: a word of three bytes
// gives its bytes; any other word gives what the arithmetic gives (-1 gives
// 0, 0, -1), which is what the legacy application stored and the successor
// reads.
inline ColourParts SplitColourWord(std::int32_t word) {
  const std::int64_t w = word;
  const std::int64_t high = w / 65536;
  const std::int64_t middle = (w - high * 65536) / 256;
  const std::int64_t low = w - high * 65536 - middle * 256;
  return {static_cast<std::int32_t>(high), static_cast<std::int32_t>(middle),
          static_cast<std::int32_t>(low)};
}
