// Writes a large, realistic legacy list document for measuring. Its cells
// are, with --text words (the default), as in real Japanese lists: one to
// four common words of two-byte kana and kanji, and three cells in ten short
// ASCII (dates, numbers, codes), now and then an amount with a comma or a
// second line; with --text mixed, Japanese and ASCII cells of mixed lengths,
// a few of them long, now and then with a comma, a quote or a line break.
// With --cells it also writes the same cell text as plain Shift-JIS (cells
// joined by ",", rows ended by LF), the input of the reference transcoding.
//
//   make_large_document OUT.tvr SIZE_MB [--cells OUT.txt] [--columns N] [--seed S]
//                       [--text words|mixed]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "dictionary_words.h"
#include "platform/text_encoding.h"
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

// Japanese and ASCII cells of mixed lengths.
std::string MixedCell(Random& random) {
  std::string cell;
  const std::uint32_t kind = random.Below(100);
  const std::uint32_t words = kind < 5    ? 0
                              : kind < 95 ? 1 + random.Below(6)
                                          : 40 + random.Below(40);
  const bool japanese = random.Below(100) < 60;
  for (std::uint32_t i = 0; i < words; ++i) {
    if (japanese) {
      cell += mac_bytes::kSjisWords[random.Below(std::size(mac_bytes::kSjisWords))];
    } else {
      if (i) cell += ' ';
      cell += kAsciiWords[random.Below(std::size(kAsciiWords))];
    }
  }
  if (random.Below(200) == 0) cell += "\"quoted\"";
  if (random.Below(500) == 0) cell += "\nsecond line";
  return cell;
}

// The dictionary words in Shift-JIS, as the legacy application stored them.
std::vector<std::string> ShiftJisWords() {
  const auto converter = GetTextConverter(Encodings::UTF8(), Encodings::MacJapanese());
  std::vector<std::string> words;
  for (const char* word : dictionary_words::kWords) {
    words.push_back(converter->convert(word));
    if (words.back().find('?') != std::string::npos) {
      std::cerr << "make_large_document: no Shift-JIS for " << word << "\n";
      std::exit(1);
    }
  }
  return words;
}

// A short ASCII cell: a date, a time, a number, an amount, a telephone
// number or a code. The numbers are drawn one statement at a time, so that
// every compiler draws them in the same order.
std::string AsciiCell(Random& random) {
  char cell[32];
  const std::uint32_t form = random.Below(6);
  const std::uint32_t a = random.Below(100);
  const std::uint32_t b = random.Below(10000);
  const std::uint32_t c = random.Below(10000);
  switch (form) {
    case 0:
      std::snprintf(cell, sizeof cell, "20%02u-%u-%u", a, 1 + b % 12, 1 + c % 28);
      break;
    case 1:
      std::snprintf(cell, sizeof cell, "%u:%02u", b % 24, a % 60);
      break;
    case 2:
      std::snprintf(cell, sizeof cell, "%u", b % 1000);
      break;
    case 3:  // one amount in four written with a thousands comma
      if (a % 4 == 0)
        std::snprintf(cell, sizeof cell, "%u,%03u", 1 + b % 99, c % 1000);
      else
        std::snprintf(cell, sizeof cell, "%u", b * 10 + c % 10);
      break;
    case 4:
      std::snprintf(cell, sizeof cell, "0%02u-%04u-%04u", a, b, c);
      break;
    default:
      std::snprintf(cell, sizeof cell, "%c-%04u", static_cast<char>('A' + a % 26), b);
      break;
  }
  return cell;
}

// One to four dictionary words, or (three cells in ten) a short ASCII cell.
std::string WordsCell(Random& random, const std::vector<std::string>& words) {
  if (random.Below(10) < 3) return AsciiCell(random);
  std::string cell;
  for (std::uint32_t n = 1 + random.Below(4); n > 0; --n) {
    cell += words[random.Below(static_cast<std::uint32_t>(words.size()))];
  }
  if (random.Below(1000) == 0) {  // a second line
    cell += '\n';
    cell += words[random.Below(static_cast<std::uint32_t>(words.size()))];
  }
  return cell;
}

int Usage() {
  std::cerr
      << "usage: make_large_document OUT.tvr SIZE_MB [--cells OUT.txt] [--columns N] [--seed S]\n"
         "                           [--text words|mixed]\n";
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
  std::string kind = "words";
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--cells")
      cellsPath = argv[i + 1];
    else if (option == "--columns")
      columns = std::atoi(argv[i + 1]);
    else if (option == "--seed")
      seed = std::strtoull(argv[i + 1], nullptr, 10);
    else if (option == "--text")
      kind = argv[i + 1];
    else
      return Usage();
  }
  if (columns < 1 || target == 0 || (kind != "words" && kind != "mixed")) return Usage();
  const std::vector<std::string> words = ShiftJisWords();

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
                            mac_bytes::kSjisWords[c % std::size(mac_bytes::kSjisWords)],
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
      const std::string cell = kind == "words" ? WordsCell(random, words) : MixedCell(random);
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
