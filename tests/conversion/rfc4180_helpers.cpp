#include "rfc4180_helpers.h"

namespace {

std::optional<CsvRecords> Fail(std::string* error, const std::string& what, std::size_t at) {
  if (error) *error = what + " at byte " + std::to_string(at);
  return std::nullopt;
}

}  // namespace

std::optional<CsvRecords> ReadCsv(std::string_view text, std::string* error) {
  CsvRecords records;
  std::vector<std::string> record;
  std::size_t at = 0;
  while (at < text.size()) {
    std::string field;
    if (text[at] == '"') {
      for (++at;; ++at) {
        if (at >= text.size()) return Fail(error, "unterminated quoted field", at);
        if (text[at] != '"') {
          field.push_back(text[at]);
        } else if (at + 1 < text.size() && text[at + 1] == '"') {
          field.push_back('"');
          ++at;
        } else {
          ++at;
          break;
        }
      }
    } else {
      while (at < text.size() && text[at] != ',' && text[at] != '\n' && text[at] != '\r') {
        if (text[at] == '"') return Fail(error, "quote inside a bare field", at);
        field.push_back(text[at++]);
      }
    }
    record.push_back(std::move(field));
    if (at >= text.size()) return Fail(error, "last record not ended", at);
    if (text[at] == ',') {
      ++at;
      continue;
    }
    if (text.substr(at, 2) == "\r\n") ++at;
    if (text[at] != '\n') return Fail(error, "text after a closing quote", at);
    ++at;
    records.push_back(std::move(record));
    record.clear();
  }
  if (!record.empty()) return Fail(error, "last record not ended", at);
  return records;
}
