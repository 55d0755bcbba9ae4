#include "csv_cell.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "line_sink.h"
#include "platform/mac_japanese/mac_japanese_codec.h"
#include "platform/mac_japanese/mac_japanese_table.h"
#include "platform/utf8.h"

namespace {

// Source bytes converted at a time: small enough that a piece's converted
// text (at most six bytes a byte, for the Mac OS Japanese sequences) stays
// small, large enough that the calls cost nothing next to the conversion.
constexpr std::size_t kPiece = 256 * 1024;
// Text gathered before it goes to the sink: a write for many cells, not one
// for each.
constexpr std::size_t kBlock = 64 * 1024;

// Cells are mostly text without a comma, a quote or a line break, and this
// scan byte by byte would cost a tenth of a whole conversion: sixteen bytes
// are compared at once (SSE2, NEON or plain code, as the compiler sees fit),
// and the end of a cell is covered by one last block that overlaps the one
// before. A shorter cell is copied into one block of zeros.
using Bytes16 = unsigned char __attribute__((vector_size(16)));

bool Special16(const char* at) {
  Bytes16 v;
  std::memcpy(&v, at, sizeof v);
  const Bytes16 hits = (v == ',') | (v == '"') | (v == '\r') | (v == '\n');
  std::uint64_t halves[2];
  std::memcpy(halves, &hits, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

}  // namespace

bool NeedsQuotes(std::string_view text) {
  if (text.size() < 16) {
    char block[16] = {};
    std::memcpy(block, text.data(), text.size());
    return Special16(block);
  }
  for (std::size_t at = 0; at + 16 <= text.size(); at += 16) {
    if (Special16(text.data() + at)) return true;
  }
  return Special16(text.data() + text.size() - 16);
}

namespace {

// `text` appended to `out`, its double quotes doubled.
void AppendDoublingQuotes(std::string_view text, std::string& out) {
  for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
    out.append(text.substr(0, quote + 1)).push_back('"');  // up to and with the quote, and one more
    text.remove_prefix(quote + 1);
  }
  out.append(text);
}

// The characters of a first cell in UTF-8 (valid: the guess said so) or
// UTF-16 (big-endian unless its mark says otherwise), by byte offsets that
// fall between characters.
class Characters {
 public:
  Characters(std::string_view text, const std::string& encoding)
      : text_(text), utf16_(encoding == kUTF16), little_(text.substr(0, 2) == "\xFF\xFE") {}

  // The offset of the character that holds the byte at `at`.
  std::size_t Floor(std::size_t at) const {
    if (!utf16_) {
      while (at > 0 && (static_cast<std::uint8_t>(text_[at]) & 0xC0) == 0x80) --at;
      return at;
    }
    // Never just after a high surrogate: with its low one, or with an odd
    // last byte, it reads as one character, and alone as another.
    at -= at % 2;
    return at >= 2 && IsHigh(Unit(at - 2)) ? at - 2 : at;
  }
  // The offset of the character that ends at `at`.
  std::size_t Before(std::size_t at) const {
    if (!utf16_) {
      do --at;
      while (at > 0 && (static_cast<std::uint8_t>(text_[at]) & 0xC0) == 0x80);
      return at;
    }
    const bool pair = at >= 4 && IsLow(Unit(at - 2)) && IsHigh(Unit(at - 4));
    return at - (pair ? 4 : 2);
  }
  // The code point of the character at `at`; for a pair of surrogates, the
  // first (no sequence entry holds either).
  char32_t At(std::size_t at) const {
    return utf16_ ? Unit(at) : ReadUtf8Character(text_.substr(at)).codePoint;
  }

 private:
  static bool IsHigh(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
  static bool IsLow(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
  char32_t Unit(std::size_t at) const {
    if (at + 1 >= text_.size()) return 0xFFFD;  // an odd byte at the end
    const auto first = static_cast<std::uint8_t>(text_[at]);
    const auto second = static_cast<std::uint8_t>(text_[at + 1]);
    return little_ ? (second << 8) | first : (first << 8) | second;
  }

  std::string_view text_;
  bool utf16_, little_;
};

// Where the piece of `text` that starts at `start` ends: about `pieceBytes`
// on, between two characters of `encoding`. UTF-8 and UTF-16 go through Mac
// OS Japanese, whose sequence entries take several code points: the cut goes
// back until none can straddle it.
std::size_t PieceEnd(std::string_view text, std::size_t start, const std::string& encoding,
                     std::size_t pieceBytes) {
  const std::size_t end = std::min(text.size(), start + pieceBytes);
  if (end == text.size()) return end;
  if (encoding == kShiftJIS) {
    std::size_t at = start;  // a lead byte and its trail go together
    while (at < end) at += mac_japanese::LeadRow(static_cast<std::uint8_t>(text[at])) >= 0 ? 2 : 1;
    return std::min(at, text.size());
  }
  const Characters characters(text, encoding);
  for (std::size_t cut = characters.Floor(end); cut > start; cut = characters.Before(cut)) {
    std::u32string last;
    for (std::size_t at = cut; at > start && last.size() < 4;) {
      at = characters.Before(at);
      last.push_back(characters.At(at));
    }
    if (MacJapaneseCodec::MayCutBefore(last, characters.At(cut))) return cut;
  }
  return end;  // not reached: a piece holds more than six characters
}

// Calls `use` with each piece of `cell` in order, until it answers false.
// Every piece of UTF-16 text says its byte order as the whole text does, so
// that a piece that starts with FE FF or FF FE reads as the whole text reads
// it.
template <typename Use>
void ForEachPiece(const std::string& cell, const std::string& encoding, std::size_t pieceBytes,
                  Use use) {
  const std::string mark = StartsWithByteOrderMark(cell) ? cell.substr(0, 2) : "\xFE\xFF";
  std::string piece;
  for (std::size_t start = 0, end; start < cell.size(); start = end) {
    end = PieceEnd(cell, start, encoding, pieceBytes);
    piece.assign(start > 0 && encoding == kUTF16 ? mark : "").append(cell, start, end - start);
    if (!use(piece)) return;
  }
}

// Whether the UTF-8 of Shift-JIS `source` needs quotes, from the source
// itself: the Mac OS Japanese table maps the bytes 0x22, 0x2C, 0x0D and 0x0A
// to themselves, they are never trail bytes (0x40-0xFC), a lead byte before
// one of them is read alone, and no other code, sequences included, maps to a
// character that holds one of them. So they stand in the UTF-8 exactly where
// they stand in the source.
bool ShiftJisNeedsQuotes(std::string_view source) { return NeedsQuotes(source); }

}  // namespace

CsvWriter::CsvWriter(LineSink& out) : out_(out) {}

void CsvWriter::WriteCell(const std::string& cell, bool firstCell) {
  if (cell.size() > kPiece) return WriteCellInPieces(cell, firstCell, kPiece);
  const Source source = SourceOf(cell, firstCell);
  if (source == Source::ShiftJIS && !ShiftJisNeedsQuotes(cell)) {
    gEncText(cell, toUtf8_, text_);  // most cells: straight into the text
  } else if (source == Source::ShiftJIS) {
    text_.push_back('"');
    AppendBody(cell, source, true);
    text_.push_back('"');
  } else {
    utf8_.clear();
    AppendAsUtf8(cell, source, utf8_);
    if (NeedsQuotes(utf8_)) {
      text_.push_back('"');
      AppendDoublingQuotes(utf8_, text_);
      text_.push_back('"');
    } else {
      text_.append(utf8_);
    }
  }
  FlushWhenFull();
}

void CsvWriter::WriteCellInPieces(const std::string& cell, bool firstCell, std::size_t pieceBytes) {
  const Source source = SourceOf(cell, firstCell);
  const std::string& encoding = NameOf(source);
  bool quoted = false;
  if (source == Source::ShiftJIS) {
    quoted = ShiftJisNeedsQuotes(cell);
  } else {
    // A first pass converts the cell only to find whether it needs quotes.
    ForEachPiece(cell, encoding, pieceBytes, [&](const std::string& piece) {
      utf8_.clear();
      AppendAsUtf8(piece, source, utf8_);
      quoted = NeedsQuotes(utf8_);
      return !quoted;
    });
  }
  if (quoted) text_.push_back('"');
  ForEachPiece(cell, encoding, pieceBytes, [&](const std::string& piece) {
    AppendBody(piece, source, quoted);
    FlushWhenFull();
    return true;
  });
  if (quoted) text_.push_back('"');
  FlushWhenFull();
}

void CsvWriter::Flush() {
  out_.Write(text_);
  text_.clear();
}

CsvWriter::Source CsvWriter::SourceOf(const std::string& cell, bool firstCell) {
  if (!firstCell) return Source::ShiftJIS;
  const std::string name = gEncSJISSource(cell);
  return name == kUTF8 ? Source::UTF8 : name == kUTF16 ? Source::UTF16 : Source::ShiftJIS;
}

const std::string& CsvWriter::NameOf(Source source) {
  return source == Source::UTF8 ? kUTF8 : source == Source::UTF16 ? kUTF16 : kShiftJIS;
}

void CsvWriter::FlushWhenFull() {
  if (text_.size() >= kBlock) Flush();
}

void CsvWriter::AppendBody(std::string_view bytes, Source source, bool quoted) {
  if (!quoted) return AppendAsUtf8(bytes, source, text_);
  utf8_.clear();
  AppendAsUtf8(bytes, source, utf8_);
  AppendDoublingQuotes(utf8_, text_);
}

void CsvWriter::AppendAsUtf8(std::string_view bytes, Source source, std::string& out) {
  if (source == Source::ShiftJIS) return gEncText(bytes, toUtf8_, out);
  gEncText(gEncText(std::string(bytes), NameOf(source), kShiftJIS), toUtf8_, out);
}
