#pragma once
// One cell of the package's `csv`, as a standard CSV reader expects it.

#include <string>
#include <string_view>

// Appends `cell` to `line`: enclosed in double quotes, with its own double
// quotes doubled, when it holds a comma, a double quote, CR or LF; bare
// otherwise.
void AppendCsvCell(std::string& line, std::string_view cell);
