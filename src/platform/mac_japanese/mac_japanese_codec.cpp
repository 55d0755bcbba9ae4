#include "platform/mac_japanese/mac_japanese_codec.h"

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/mac_japanese/mac_japanese_table.h"
#include "platform/utf8.h"

namespace mac_japanese {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The character at `s`: its table value (kUnmapped when the bytes are not a
// character), its code and how many bytes it takes.
struct Read {
  std::uint16_t value;
  std::uint16_t code;
  int size;
};

Read ReadCode(const std::uint8_t* s, const std::uint8_t* end) {
  const std::uint8_t lead = s[0];
  const int row = LeadRow(lead);
  if (row < 0) return {kOneByte[lead], lead, 1};
  if (end - s < 2 || !IsTrail(s[1])) return {kUnmapped, lead, 1};
  const std::uint16_t value = kTwoByte[row][s[1] - kTrailFirst];
  // An unmapped pair keeps an ASCII trail byte, which is read again on its own.
  if (value == kUnmapped && s[1] < 0x80) return {kUnmapped, lead, 1};
  return {value, static_cast<std::uint16_t>((lead << 8) | s[1]), 2};
}

const Sequence& SequenceOf(std::uint16_t code) {
  const Sequence* found = std::lower_bound(
      std::begin(kSequences), std::end(kSequences), code,
      [](const Sequence& entry, std::uint16_t wanted) { return entry.code < wanted; });
  return *found;  // the table marks kSequence only for codes listed here
}

// The way back: the code of each code point, and which code points begin a
// sequence and which come later in one. Built once, on first use.
struct Reverse {
  static constexpr std::uint16_t kNoCode = 0xFFFF;
  std::vector<std::uint16_t> code = std::vector<std::uint16_t>(0x10000, kNoCode);
  std::bitset<0x10000> beginsSequence;
  std::bitset<0x10000> continuesSequence;
};

const Reverse& ReverseTable() {
  static const Reverse table = [] {
    Reverse r;
    for (unsigned byte = 0; byte < 256; ++byte) {
      if (kOneByte[byte] < kSequence) r.code[kOneByte[byte]] = static_cast<std::uint16_t>(byte);
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      const int row = LeadRow(static_cast<std::uint8_t>(lead));
      if (row < 0) continue;
      for (unsigned t = 0; t < kTrailCount; ++t) {
        const std::uint16_t value = kTwoByte[row][t];
        if (value < kSequence)
          r.code[value] = static_cast<std::uint16_t>((lead << 8) | (t + kTrailFirst));
      }
    }
    for (const Sequence& s : kSequences) {
      r.beginsSequence.set(s.points[0]);
      for (std::size_t k = 1; k < s.length; ++k) r.continuesSequence.set(s.points[k]);
    }
    return r;
  }();
  return table;
}

// The longest sequence entry that `text` begins with; nullptr when none.
const Sequence* MatchSequence(std::u32string_view text) {
  const Sequence* best = nullptr;
  for (const Sequence& s : kSequences) {
    if (s.length > text.size() || (best != nullptr && s.length <= best->length)) continue;
    if (std::equal(s.points, s.points + s.length, text.begin())) best = &s;
  }
  return best;
}

void AppendCode(std::uint16_t code, std::string& out) {
  if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

// The UTF-8 bytes of each code that is one character, laid out as kOneByte
// and kTwoByte; length 0 for the others (no character, or a sequence). With
// the row of each lead byte, this table alone reads most text.
struct Utf8Slot {
  char bytes[4];  // copied whole; `length` of them count
  std::uint8_t length;
};
struct Utf8Table {
  Utf8Slot one[256];
  Utf8Slot two[kLeadCount][kTrailCount];
  std::int8_t leadRow[256];
};

Utf8Slot MakeSlot(std::uint16_t value) {
  Utf8Slot slot{};
  if (value < kSequence) slot.length = static_cast<std::uint8_t>(EncodeUtf8(value, slot.bytes));
  return slot;
}

const Utf8Table& Utf8Slots() {
  static const Utf8Table table = [] {
    Utf8Table t{};
    for (unsigned byte = 0; byte < 256; ++byte) {
      t.one[byte] = MakeSlot(kOneByte[byte]);
      t.leadRow[byte] = static_cast<std::int8_t>(LeadRow(static_cast<std::uint8_t>(byte)));
    }
    for (std::size_t row = 0; row < kLeadCount; ++row) {
      for (std::size_t trail = 0; trail < kTrailCount; ++trail) {
        t.two[row][trail] = MakeSlot(kTwoByte[row][trail]);
      }
    }
    return t;
  }();
  return table;
}

// The slot of the one character at `s` and its byte count; nullptr for a
// sequence and for bytes that are not a character, which ReadCode reads.
const Utf8Slot* SlotAt(const Utf8Table& table, const std::uint8_t* s, const std::uint8_t* end,
                       int& size) {
  const int row = table.leadRow[*s];
  const Utf8Slot* slot = &table.one[*s];
  size = 1;
  if (row >= 0) {
    if (end - s < 2 || !IsTrail(s[1])) return nullptr;
    slot = &table.two[row][s[1] - kTrailFirst];
    size = 2;
  }
  return slot->length != 0 ? slot : nullptr;
}

// Walks the text from `s` to `end` a character at a time: `slot` gets the
// table slot of a code that is one character; `points` gets where any other
// code starts and the code points it reads as (a sequence entry's, or
// U+FFFD for bytes that are not a character).
template <typename Slot, typename Points>
void ForEachCharacter(const Utf8Table& table, const std::uint8_t* s, const std::uint8_t* end,
                      Slot slot, Points points) {
  static constexpr std::uint16_t kReplacementPoint[] = {kReplacement};
  while (s < end) {
    int size = 0;
    if (const Utf8Slot* one = SlotAt(table, s, end, size)) {
      slot(*one);
      s += size;
      continue;
    }
    const std::uint8_t* at = s;
    const Read read = ReadCode(s, end);
    s += read.size;
    if (read.value == kSequence) {
      const Sequence& entry = SequenceOf(read.code);
      points(at, entry.points, entry.points + entry.length);
    } else {
      points(at, std::begin(kReplacementPoint), std::end(kReplacementPoint));
    }
  }
}

// The UTF-8 byte count of the text from `s` to `end`, as AppendUtf8 writes it.
std::size_t Utf8Length(const Utf8Table& table, const std::uint8_t* s, const std::uint8_t* end) {
  std::size_t length = 0;
  char scratch[4];
  ForEachCharacter(
      table, s, end, [&](const Utf8Slot& slot) { length += slot.length; },
      [&](const std::uint8_t*, const std::uint16_t* point, const std::uint16_t* last) {
        for (; point != last; ++point) length += EncodeUtf8(*point, scratch);
      });
  return length;
}

// Makes `out` exactly `size` bytes long, keeping its first `keep`. A resize
// would copy all of it and round the storage up to twice the old.
void Regrow(std::string& out, std::size_t keep, std::size_t size) {
  std::string grown;
  grown.reserve(size);
  grown.append(out, 0, keep);
  grown.resize(size);
  out.swap(grown);
}

}  // namespace
}  // namespace mac_japanese

using namespace mac_japanese;

void MacJapaneseCodec::decode(std::string_view bytes, std::u32string& out) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto* end = s + bytes.size();
  while (s < end) {
    const Read read = ReadCode(s, end);
    s += read.size;
    if (read.value == kUnmapped) {
      out.push_back(kReplacement);
    } else if (read.value == kSequence) {
      const Sequence& entry = SequenceOf(read.code);
      out.append(entry.points, entry.points + entry.length);
    } else {
      out.push_back(read.value);
    }
  }
}

void MacJapaneseCodec::encode(std::u32string_view text, std::string& out) {
  const Reverse& reverse = ReverseTable();
  out.reserve(out.size() + text.size() * 2);
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t point = text[i];
    if (point < 0x10000 && reverse.beginsSequence.test(point)) {
      if (const Sequence* entry = MatchSequence(text.substr(i))) {
        AppendCode(entry->code, out);
        i += entry->length;
        continue;
      }
    }
    const std::uint16_t code = point < 0x10000 ? reverse.code[point] : Reverse::kNoCode;
    if (code == Reverse::kNoCode) {
      out.push_back('?');
    } else {
      AppendCode(code, out);
    }
    ++i;
  }
}

// A sequence that straddles the cut begins at most four code points before
// it and goes on with `next`. No code point both begins and continues one, so
// of any six code points in a row, one of the last five may be cut before.
bool MacJapaneseCodec::MayCutBefore(std::u32string_view last, char32_t next) {
  const Reverse& reverse = ReverseTable();
  const auto in = [](const std::bitset<0x10000>& set, char32_t point) {
    return point < 0x10000 && set.test(point);
  };
  if (!in(reverse.continuesSequence, next)) return true;
  last = last.substr(0, kMaxSequenceLength - 1);
  return std::none_of(last.begin(), last.end(),
                      [&](char32_t point) { return in(reverse.beginsSequence, point); });
}

bool MacJapaneseCodec::IsWellFormed(std::string_view bytes) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto* end = s + bytes.size();
  while (s < end) {
    const Read read = ReadCode(s, end);
    if (read.value == kUnmapped) return false;
    s += read.size;
  }
  return true;
}

// Room is kept for 3 bytes of output per byte of input left, plus 4 for the
// whole-slot copy; only a sequence entry (up to 15 bytes for 2) needs more.
// At the first one the room is made, once, just what the rest of the text
// takes, so that a long text of them ends in storage no larger than it.
void MacJapaneseCodec::AppendUtf8(std::string_view bytes, std::string& out) {
  const Utf8Table& table = Utf8Slots();
  const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto* end = s + bytes.size();
  const std::size_t at = out.size();
  out.resize(at + bytes.size() * 3 + 4);
  char* p = out.data() + at;
  bool roomIsExact = false;
  ForEachCharacter(
      table, s, end,
      [&](const Utf8Slot& slot) {
        std::memcpy(p, slot.bytes, 4);
        p += slot.length;
      },
      [&](const std::uint8_t* from, const std::uint16_t* point, const std::uint16_t* last) {
        // Only a sequence entry (more than one code point) may outgrow the room.
        if (last - point > 1 && !roomIsExact) {
          const std::size_t written = static_cast<std::size_t>(p - out.data());
          Regrow(out, written, written + Utf8Length(table, from, end) + 4);
          p = out.data() + written;
          roomIsExact = true;
        }
        for (; point != last; ++point) p += EncodeUtf8(*point, p);
      });
  out.resize(static_cast<std::size_t>(p - out.data()));
}
