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
std::optional<CsvRecords> ReadCsv(std::string_view text, std::string* error = nullptr);
