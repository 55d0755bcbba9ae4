#include "csv_cell.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<bool, 256> kNeedsQuotes = [] {
  std::array<bool, 256> table{};
  table[static_cast<unsigned char>(',')] = true;
  table[static_cast<unsigned char>('"')] = true;
  table[static_cast<unsigned char>('\r')] = true;
  table[static_cast<unsigned char>('\n')] = true;
  return table;
}();

bool NeedsQuotes(std::string_view cell) {
  return std::any_of(cell.begin(), cell.end(),
                     [](char c) { return kNeedsQuotes[static_cast<unsigned char>(c)]; });
}

}  // namespace

void AppendCsvCell(std::string& line, std::string_view cell) {
  if (!NeedsQuotes(cell)) {
    line.append(cell);
    return;
  }
  line.push_back('"');
  for (char c : cell) {
    if (c == '"') line.push_back('"');
    line.push_back(c);
  }
  line.push_back('"');
}
