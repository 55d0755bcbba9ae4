#pragma once
// One cell of the package's `csv`: the cell's bytes as the document stores
// them, converted to UTF-8 and written as a standard CSV reader expects it.

#include <string>
#include <string_view>

class LineSink;

// Writes `cell` to `out` as UTF-8: enclosed in double quotes, with its own
// double quotes doubled, when it holds a comma, a double quote, CR or LF;
// bare otherwise. Cells are Shift-JIS; the first cell of a row may be UTF-8
// or UTF-16 already and then goes through Shift-JIS first (gEncSJIS). A
// large cell is converted and written a piece at a time, so that its
// converted text is never held whole.
void WriteCsvCell(LineSink& out, const std::string& cell, bool firstCell);

// The same, a piece of about `pieceBytes` (32 or more) of the cell at a
// time, each cut where the pieces convert to the bytes of the whole cell.
// WriteCsvCell takes this way for cells over 256 KiB.
void WriteCsvCellInPieces(LineSink& out, const std::string& cell, bool firstCell,
                          std::size_t pieceBytes);

// Whether `text` holds a comma, a double quote, CR or LF, by blocks of 16
// bytes; and the same a byte at a time, the plain loop that the block scan
// must agree with (the encoding fuzz target holds them to it).
bool NeedsQuotes(std::string_view text);
bool NeedsQuotesByteByByte(std::string_view text);
