#include "conversion/csv_cell.h"

#include <gtest/gtest.h>

#include "rfc4180_helpers.h"

namespace {

const struct {
  const char* name;
  std::string cell;
  std::string written;
} kCells[] = {
    {"plain", "abc", "abc"},
    {"empty", "", ""},
    {"japanese", "日本語", "日本語"},
    {"comma", "a,b", "\"a,b\""},
    {"quote", "say \"hi\"", "\"say \"\"hi\"\"\""},
    {"lone quote", "\"", "\"\"\"\""},
    {"line feed", "a\nb", "\"a\nb\""},
    {"carriage return", "a\rb", "\"a\rb\""},
    {"everything", ",\"\r\n", "\",\"\"\r\n\""},
    {"spaces kept bare", " a ", " a "},
};

TEST(CsvCell, QuotesOnlyWhatNeedsIt) {
  for (const auto& c : kCells) {
    std::string line = "x,";
    AppendCsvCell(line, c.cell);
    EXPECT_EQ(line, "x," + c.written) << c.name;
  }
}

// The scan goes by blocks of 8 and 16 bytes: a special byte is found at every
// place in cells of every length around those sizes.
TEST(CsvCell, FindsASpecialByteAnywhere) {
  for (std::size_t size = 1; size <= 40; ++size) {
    const std::string plain(size, 'a');
    std::string line;
    AppendCsvCell(line, plain);
    EXPECT_EQ(line, plain) << size;
    for (std::size_t at = 0; at < size; ++at) {
      for (char special : {',', '"', '\r', '\n'}) {
        std::string cell = plain;
        cell[at] = special;
        line.clear();
        AppendCsvCell(line, cell);
        EXPECT_EQ(line.front(), '"') << size << " " << at;
      }
    }
  }
}

TEST(CsvCell, AStandardReaderGetsEveryCellBack) {
  std::string line;
  std::vector<std::string> cells;
  for (const auto& c : kCells) {
    if (!line.empty()) line.push_back(',');
    AppendCsvCell(line, c.cell);
    cells.push_back(c.cell);
  }
  std::string error;
  const auto records = ReadCsv(line + "\n", &error);
  ASSERT_TRUE(records) << error;
  EXPECT_EQ(*records, CsvRecords{cells});
}

}  // namespace
