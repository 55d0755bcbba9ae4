#pragma once
// The package's `colAttr`: per column, its display attributes, colour, name
// and width as a property list.

#include <cstdint>
#include <string>
#include <vector>

#include "line_sink.h"

// Writes 6 + 27 x `columnCount` lines (none for a count of 0 or less) from
// the per-column lists: info words, UTF-8 names and colour words. Yields once
// per column. Throws OutOfBoundsException when a list is shorter than
// `columnCount`, otherwise only what `out` throws.
void WriteColAttr(std::int32_t columnCount, const std::vector<std::int32_t>& pCinfo,
                  const std::vector<std::string>& pCname, const std::vector<std::int32_t>& pCcolor,
                  LineSink& out);
