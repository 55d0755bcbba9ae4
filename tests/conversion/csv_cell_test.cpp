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
