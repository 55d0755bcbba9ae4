// Writes a large, realistic legacy list document for measuring: many columns,
// Japanese (Shift-JIS) and ASCII cells of mixed lengths, now and then a cell
// with a comma, a quote or a line break. With --cells it also writes the same
// cell text as plain Shift-JIS (cells joined by ",", rows ended by LF), the
// input of the reference transcoding.
//
//   make_large_document OUT.tvr SIZE_MB [--cells OUT.txt] [--columns N] [--seed S]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "support/mac_bytes.h"

namespace {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed ? seed : 1) {}
  std::uint32_t Below(std::uint32_t n) {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<std::uint32_t>(state_ % n);
  }

 private:
  std::uint64_t state_;
};

const char* const kAsciiWords[] = {"alpha",        "Tokyo",  "2024-04-01", "ID-00917", "note",
                                   "meeting room", "12,500", "OK",         "pending",  "Osaka"};

std::string Cell(Random& random) {
  std::string cell;
  const std::uint32_t kind = random.Below(100);
  const std::uint32_t words = kind < 5    ? 0
                              : kind < 95 ? 1 + random.Below(6)
                                          : 40 + random.Below(40);
  const bool japanese = random.Below(100) < 60;
  for (std::uint32_t i = 0; i < words; ++i) {
    if (japanese) {
      cell += mac_bytes::kSjisWords[random.Below(std::size(mac_bytes::kSjisWords))].sjis;
    } else {
      if (i) cell += ' ';
      cell += kAsciiWords[random.Below(std::size(kAsciiWords))];
    }
  }
  if (random.Below(200) == 0) cell += "\"quoted\"";
  if (random.Below(500) == 0) cell += "\nsecond line";
  return cell;
}

int Usage() {
  std::cerr
      << "usage: make_large_document OUT.tvr SIZE_MB [--cells OUT.txt] [--columns N] [--seed S]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string out = argv[1];
  const std::uint64_t target = std::strtoull(argv[2], nullptr, 10) * 1024 * 1024;
  std::string cellsPath;
  int columns = 12;
  std::uint64_t seed = 20240401;
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--cells")
      cellsPath = argv[i + 1];
    else if (option == "--columns")
      columns = std::atoi(argv[i + 1]);
    else if (option == "--seed")
      seed = std::strtoull(argv[i + 1], nullptr, 10);
    else
      return Usage();
  }
  if (columns < 1 || target == 0) return Usage();

  // The row count is a preference number written before the rows; it is
  // written as ten digits and filled in at the end.
  mac_bytes::Document head;
  head.prefNumbers.assign(23, "0");
  head.prefNumbers[1] = std::to_string(columns);
  head.prefNumbers[2] = "0000000000";
  head.prefNumbers[19] = std::to_string(0xEEEEEE);
  head.prefNumbers[50] = "12";
  head.prefStrings = {"Osaka"};
  for (int c = 0; c < columns; ++c) {
    head.columns.push_back({(120 << 16) | (c % 4),
                            mac_bytes::kSjisWords[c % std::size(mac_bytes::kSjisWords)].sjis,
                            0x102030 * c});
  }
  std::string bytes = head.Bytes();
  const std::size_t rowCountAt = head.PrefBlockBytes().find("0000000000");

  std::ofstream doc(out, std::ios::binary | std::ios::trunc);
  std::ofstream cells;
  if (!cellsPath.empty()) cells.open(cellsPath, std::ios::binary | std::ios::trunc);
  Random random(seed);
  std::uint64_t written = 0;
  std::uint64_t rows = 0;
  std::string text;
  while (written + bytes.size() < target) {
    text.clear();
    for (int c = 0; c < columns; ++c) {
      const std::string cell = Cell(random);
      bytes += mac_bytes::LongString(cell);
      if (c) text += ',';
      text += cell;
    }
    text += '\n';
    ++rows;
    if (cells.is_open()) cells << text;
    if (bytes.size() > (1 << 20)) {
      doc << bytes;
      written += bytes.size();
      bytes.clear();
    }
  }
  doc << bytes;
  char count[11];
  std::snprintf(count, sizeof count, "%010llu", static_cast<unsigned long long>(rows));
  doc.seekp(static_cast<std::streamoff>(rowCountAt));
  doc.write(count, 10);
  doc.close();
  if (!doc || (cells.is_open() && !cells)) {
    std::cerr << "make_large_document: cannot write the output\n";
    return 1;
  }
  std::cout << rows << " rows, " << columns << " columns\n";
  return 0;
}
