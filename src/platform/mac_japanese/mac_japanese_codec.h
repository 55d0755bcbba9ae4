#pragma once
// Mac OS Japanese, from our own tables (ICU has no converter for it).
// Decoding writes the several code points of a sequence entry; encoding
// takes the longest sequence that matches, so such entries come back whole.

#include <string>
#include <string_view>

#include "platform/code_point_codec.h"

class MacJapaneseCodec : public CodePointCodec {
 public:
  // A lead byte without a trail byte, or an unmapped pair, reads as one
  // U+FFFD; an ASCII byte after a lead is read again on its own.
  void decode(std::string_view bytes, std::u32string& out) override;
  void encode(std::u32string_view text, std::string& out) override;

  // Appends the UTF-8 of `bytes`: the same as decode then UTF-8, straight
  // from a table of UTF-8 bytes per code. The only allocation is `out`'s
  // storage, which ends at most 4 bytes larger than its text, or 3 bytes a
  // byte of `bytes` when these hold no sequence entry.
  static void AppendUtf8(std::string_view bytes, std::string& out);
  // True when every byte and pair of `bytes` is a character of the map, so
  // that decoding writes no U+FFFD.
  static bool IsWellFormed(std::string_view bytes);
  // True when text cut before `next` encodes in two parts to the bytes of
  // the whole: no sequence entry can straddle the cut. `last` holds the code
  // points before the cut, the nearest first (four are enough).
  static bool MayCutBefore(std::u32string_view last, char32_t next);
};
