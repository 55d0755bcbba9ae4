#pragma once
// The package's `csv`: the cells' bytes as the document stores them,
// converted to UTF-8 and written as a standard CSV reader expects them.

#include <string>
#include <string_view>

#include "shared/text_enco.h"

class LineSink;

// Gathers the text of `csv` and hands it to a sink in blocks of about
// 64 KiB; one writer serves a whole document, so that the converter is
// looked up and the storage made once, not for each cell.
class CsvWriter {
 public:
  explicit CsvWriter(LineSink& out);

  // Writes `cell` as UTF-8: enclosed in double quotes, with its own double
  // quotes doubled, when it holds a comma, a double quote, CR or LF; bare
  // otherwise. Cells are Shift-JIS; the first cell of a row may be UTF-8 or
  // UTF-16 already and then goes through Shift-JIS first (gEncSJIS). A large
  // cell is converted and written a piece at a time, so that its converted
  // text is never held whole.
  void WriteCell(const std::string& cell, bool firstCell);
  // The same, a piece of about `pieceBytes` (32 or more) of the cell at a
  // time, each cut where the pieces convert to the bytes of the whole cell.
  // WriteCell takes this way for cells over 256 KiB.
  void WriteCellInPieces(const std::string& cell, bool firstCell, std::size_t pieceBytes);
  // Writes a comma between cells or the LF after a row; it goes to the sink
  // with the cells after it, or with Flush.
  void Write(char separator) { text_.push_back(separator); }
  // Hands what is gathered to the sink; needed after the last row.
  void Flush();

 private:
  // What a cell's bytes are: Shift-JIS, or (a first cell) UTF-8 or UTF-16.
  enum class Source { ShiftJIS, UTF8, UTF16 };
  static Source SourceOf(const std::string& cell, bool firstCell);
  static const std::string& NameOf(Source source);

  void FlushWhenFull();
  // Appends the UTF-8 of `bytes` to `text_`, its double quotes doubled when
  // `quoted` (the enclosing quotes are the caller's).
  void AppendBody(std::string_view bytes, Source source, bool quoted);
  void AppendAsUtf8(std::string_view bytes, Source source, std::string& out);

  LineSink& out_;
  const EncPair toUtf8_ = gEncPair(kShiftJIS, kUTF8);
  std::string text_;  // written, not yet handed to the sink
  std::string utf8_;  // a cell or piece whose quotes are to be doubled
};

// Whether `text` holds a comma, a double quote, CR or LF.
bool NeedsQuotes(std::string_view text);
