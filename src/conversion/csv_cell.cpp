#include "csv_cell.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "line_sink.h"
#include "platform/mac_japanese/mac_japanese_table.h"
#include "shared/text_enco.h"

namespace {

const std::string kShiftJIS = "Shift-JIS";
const std::string kUTF8 = "UTF-8";
const std::string kUTF16 = "UTF-16";

// Source bytes converted at a time: small enough that a piece's converted
// text (at most six bytes a byte, for the Mac OS Japanese sequences) stays
// small, large enough that the calls cost nothing next to the conversion.
constexpr std::size_t kPiece = 256 * 1024;

// Cells are mostly text without a comma, a quote or a line break, and this
// scan must stay well below the cost of the encoding conversion: sixteen
// bytes are compared at once (SSE2, NEON or plain code, as the compiler sees
// fit), and the end of a cell is covered by one last block that overlaps the
// one before instead of a byte loop.
using Bytes16 = unsigned char __attribute__((vector_size(16)));

bool Special16(const char* at) {
  Bytes16 v;
  std::memcpy(&v, at, sizeof v);
  const Bytes16 hits = (v == ',') | (v == '"') | (v == '\r') | (v == '\n');
  std::uint64_t halves[2];
  std::memcpy(halves, &hits, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// The same on eight bytes: the classic zero-byte test on word XOR c.
bool Special8(const char* at) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighs = 0x8080808080808080ull;
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  std::uint64_t found = 0;
  for (unsigned char c : {',', '"', '\r', '\n'}) {
    const std::uint64_t x = word ^ (kOnes * c);
    found |= (x - kOnes) & ~x & kHighs;
  }
  return found != 0;
}

bool NeedsQuotes(std::string_view cell) {
  const char* bytes = cell.data();
  const std::size_t size = cell.size();
  if (size >= 16) {
    for (std::size_t at = 0; at + 16 <= size; at += 16) {
      if (Special16(bytes + at)) return true;
    }
    return Special16(bytes + size - 16);
  }
  if (size >= 8) return Special8(bytes) || Special8(bytes + size - 8);
  for (char c : cell) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

// The text, its double quotes doubled when it is quoted.
void WriteBody(LineSink& out, std::string_view text, bool quoted) {
  if (!quoted) return out.Write(text);
  for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
    out.Write(text.substr(0, quote + 1));  // up to and with the quote
    out.Write("\"");
    text.remove_prefix(quote + 1);
  }
  out.Write(text);
}

bool StartsWithByteOrderMark(std::string_view text) {
  return text.size() >= 2 && ((text[0] == '\xFE' && text[1] == '\xFF') ||
                              (text[0] == '\xFF' && text[1] == '\xFE'));
}

// Where the piece of `text` that starts at `start` ends: about kPiece bytes
// on, never inside a character of `encoding`.
std::size_t PieceEnd(std::string_view text, std::size_t start, const std::string& encoding) {
  std::size_t end = std::min(text.size(), start + kPiece);
  if (end == text.size()) return end;
  if (encoding == kUTF8) {
    while (end > start + 1 && (static_cast<std::uint8_t>(text[end]) & 0xC0) == 0x80) --end;
    return end;
  }
  if (encoding == kUTF16) {
    end -= (end - start) % 2;
    // Big-endian unless the text says otherwise; a pair of surrogates stays whole.
    const bool little = text[0] == '\xFF' && text[1] == '\xFE';
    const auto high = static_cast<std::uint8_t>(text[little ? end - 1 : end - 2]);
    return (high & 0xFC) == 0xD8 ? end - 2 : end;
  }
  std::size_t at = start;  // Mac OS Japanese: a lead byte and its trail go together
  while (at < end) at += mac_japanese::LeadRow(static_cast<std::uint8_t>(text[at])) >= 0 ? 2 : 1;
  return std::min(at, text.size());
}

std::string ToUtf8(const std::string& text, const std::string& encoding) {
  if (encoding == kShiftJIS) return gEncText(text, kShiftJIS, kUTF8);
  return gEncText(gEncText(text, encoding, kShiftJIS), kShiftJIS, kUTF8);
}

// Calls `use` with the UTF-8 of each piece of `cell`, in order, until it
// answers false. A UTF-16 text's byte order mark goes before every piece.
template <typename Use>
void ForEachPiece(const std::string& cell, const std::string& encoding, Use use) {
  const std::string mark = encoding == kUTF16 && StartsWithByteOrderMark(cell) ? cell.substr(0, 2) : "";
  std::string piece;
  for (std::size_t start = 0, end; start < cell.size(); start = end) {
    end = PieceEnd(cell, start, encoding);
    piece.assign(start == 0 ? "" : mark).append(cell, start, end - start);
    if (!use(ToUtf8(piece, encoding))) return;
  }
}

}  // namespace

void WriteCsvText(LineSink& out, std::string_view utf8) {
  const bool quoted = NeedsQuotes(utf8);
  if (quoted) out.Write("\"");
  WriteBody(out, utf8, quoted);
  if (quoted) out.Write("\"");
}

void WriteCsvCell(LineSink& out, const std::string& cell, bool firstCell) {
  std::string encoding = kShiftJIS;
  if (firstCell) {
    const std::string guess = gEncTextGetEnc(cell);
    if (guess == kUTF8 || guess == kUTF16) encoding = guess;
  }
  if (cell.size() <= kPiece) return WriteCsvText(out, ToUtf8(cell, encoding));
  // Too large to convert whole: a first pass finds whether it needs quotes.
  bool quoted = false;
  ForEachPiece(cell, encoding, [&quoted](const std::string& utf8) {
    quoted = NeedsQuotes(utf8);
    return !quoted;
  });
  if (quoted) out.Write("\"");
  ForEachPiece(cell, encoding, [&](const std::string& utf8) {
    WriteBody(out, utf8, quoted);
    return true;
  });
  if (quoted) out.Write("\"");
}
