#pragma once
// A standard CSV reader (RFC 4180), strict: a field is bare or enclosed in
// double quotes with inner quotes doubled; a quote anywhere else is an error.
// Records end with LF or CRLF; the last record must be ended too.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

using CsvRecords = std::vector<std::vector<std::string>>;

// The records of `text`, or nullopt (with `error` set) when it is not CSV.
inline std::optional<CsvRecords> ReadCsv(std::string_view text, std::string* error = nullptr) {
  CsvRecords records(1);
  std::size_t at = 0;
  const auto fail = [&](const char* what) {
    if (error) *error = what + (" at byte " + std::to_string(at));
    return std::nullopt;
  };
  while (at < text.size()) {
    std::string& field = records.back().emplace_back();
    if (text[at] == '"') {
      for (++at; at < text.size() && (text[at] != '"' || text.substr(at, 2) == "\"\"");) {
        field.push_back(text[at]);
        at += text[at] == '"' ? 2 : 1;
      }
      if (at++ >= text.size()) return fail("unterminated quoted field");
    } else {
      for (; at < text.size() && text[at] != ',' && text[at] != '\r' && text[at] != '\n'; ++at) {
        if (text[at] == '"') return fail("quote inside a bare field");
        field.push_back(text[at]);
      }
    }
    if (at < text.size() && text[at] == ',' && ++at) continue;
    if (text.substr(at, 2) == "\r\n") ++at;
    if (at >= text.size() || text[at] != '\n')
      return fail(at >= text.size() ? "last record not ended" : "text after a closing quote");
    ++at, records.emplace_back();
  }
  if (!records.back().empty()) return fail("last record not ended");
  records.pop_back();
  return records;
}
