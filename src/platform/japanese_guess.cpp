// The Japanese-encoding guess for short texts (2 to 30 bytes is usual), where
// statistical detectors have too little to go on. Each rule reads the text
// once, in the order of the rules; first cells are short, so the passes cost
// little next to the conversion.

#include "platform/japanese_guess.h"

#include <algorithm>
#include <cstdint>

#include "platform/mac_japanese/mac_japanese_codec.h"
#include "platform/text_encoding.h"
#include "platform/utf8.h"

namespace {

bool IsHigh(char c) { return static_cast<std::uint8_t>(c) > 0x7F; }

// A byte of half-width katakana in Shift_JIS; the UTF-8 of accented Latin
// letters is made of such bytes too.
bool IsHalfWidthKana(char c) {
  const auto byte = static_cast<std::uint8_t>(c);
  return byte >= 0xA1 && byte <= 0xDF;
}

// EUC-JP's byte structure: ASCII; 0x8E and a half-width katakana byte;
// 0x8F and two bytes of JIS X 0212; two bytes of JIS X 0208.
bool IsEucJp(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<std::uint8_t>(text[i++]);
    if (byte < 0x80) continue;
    std::uint8_t last = 0xFE;  // of the bytes that follow
    std::size_t following = 1;
    if (byte == 0x8E) {
      last = 0xDF;
    } else if (byte == 0x8F) {
      following = 2;
    } else if (byte < 0xA1 || byte == 0xFF) {
      return false;
    }
    for (; following > 0; --following, ++i) {
      if (i == text.size()) return false;
      const auto next = static_cast<std::uint8_t>(text[i]);
      if (next < 0xA1 || next > last) return false;
    }
  }
  return true;
}

}  // namespace

const TextEncoding* GuessJapaneseEncoding(std::string_view text) {
  if (StartsWithByteOrderMark(text)) return Encodings::UTF16();
  if (text.size() % 2 == 0 && text.find('\0') != std::string_view::npos) return Encodings::UTF16();
  if (std::none_of(text.begin(), text.end(), IsHigh)) {
    return text.find('\x1B') != std::string_view::npos ? GetTextEncoding(0x0820) : nullptr;
  }
  const bool highAllKana = std::all_of(text.begin(), text.end(),
                                       [](char c) { return !IsHigh(c) || IsHalfWidthKana(c); });
  if (IsValidUtf8(text) && !highAllKana) return Encodings::UTF8();
  if (MacJapaneseCodec::IsWellFormed(text)) return Encodings::ShiftJIS();
  if (IsEucJp(text)) return GetTextEncoding(0x0920);
  return nullptr;
}
