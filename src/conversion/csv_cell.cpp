#include "csv_cell.h"

#include <cstdint>
#include <cstring>

namespace {

// Sixteen bytes compared at once (SSE2, NEON or plain code, as the compiler
// sees fit): cells are mostly text without any of the four bytes, and this
// scan must stay well below the cost of the encoding conversion.
using Bytes16 = unsigned char __attribute__((vector_size(16)));

bool AnySpecial(Bytes16 v) {
  const Bytes16 hits = (v == ',') | (v == '"') | (v == '\r') | (v == '\n');
  std::uint64_t halves[2];
  std::memcpy(halves, &hits, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

bool NeedsQuotes(std::string_view cell) {
  std::size_t at = 0;
  Bytes16 v;
  for (; at + 16 <= cell.size(); at += 16) {
    std::memcpy(&v, cell.data() + at, 16);
    if (AnySpecial(v)) return true;
  }
  v = Bytes16{};  // zero bytes match none of the four
  std::memcpy(&v, cell.data() + at, cell.size() - at);
  return AnySpecial(v);
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
