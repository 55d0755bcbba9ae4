#include "csv_cell.h"

#include <cstdint>
#include <cstring>

namespace {

// Cells are mostly text without a comma, a quote or a line break, and this
// scan must stay well below the cost of the encoding conversion: sixteen
// bytes are compared at once (SSE2, NEON or plain code, as the compiler sees
// fit), and the end of a cell is covered by one last block that overlaps the
// one before instead of a byte loop.
using Bytes16 = unsigned char __attribute__((vector_size(16)));

bool Special16(const char* at) {
  Bytes16 v;
  std::memcpy(&v, at, sizeof v);
  const Bytes16 hits = (v == ',') | (v == '"') | (v == '\r') | (v == '\n');
  std::uint64_t halves[2];
  std::memcpy(halves, &hits, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// The same on eight bytes: the classic zero-byte test on word XOR c.
bool Special8(const char* at) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighs = 0x8080808080808080ull;
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  std::uint64_t found = 0;
  for (unsigned char c : {',', '"', '\r', '\n'}) {
    const std::uint64_t x = word ^ (kOnes * c);
    found |= (x - kOnes) & ~x & kHighs;
  }
  return found != 0;
}

bool NeedsQuotes(std::string_view cell) {
  const char* bytes = cell.data();
  const std::size_t size = cell.size();
  if (size >= 16) {
    for (std::size_t at = 0; at + 16 <= size; at += 16) {
      if (Special16(bytes + at)) return true;
    }
    return Special16(bytes + size - 16);
  }
  if (size >= 8) return Special8(bytes) || Special8(bytes + size - 8);
  for (char c : cell) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

}  // namespace

void AppendCsvCell(std::string& line, std::string_view cell) {
  if (!NeedsQuotes(cell)) {
    line.append(cell);
    return;
  }
  line.push_back('"');
  std::size_t start = 0;
  for (std::size_t quote; (quote = cell.find('"', start)) != std::string_view::npos;
       start = quote + 1) {
    line.append(cell.substr(start, quote + 1 - start));  // up to and with the quote
    line.push_back('"');
  }
  line.append(cell.substr(start));
  line.push_back('"');
}
