#include "conversion/csv_cell.h"

#include <gtest/gtest.h>

#include "rfc4180_helpers.h"

namespace {

TEST(CsvCell, QuotesOnlyWhatNeedsItAndAStandardReaderGetsTheCellBack) {
  const struct {
    const char* name;
    std::string cell;
    std::string written;
  } cases[] = {
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
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string line = "x,";
    AppendCsvCell(line, c.cell);
    EXPECT_EQ(line, "x," + c.written);
    std::string error;
    EXPECT_EQ(ReadCsv(line + "\n", &error).value_or(CsvRecords{}), (CsvRecords{{"x", c.cell}}))
        << error;
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

}  // namespace
