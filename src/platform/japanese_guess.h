#pragma once
// The Japanese-encoding guess for short texts (2 to 30 bytes is usual), where
// statistical detectors have too little to go on. Rules, first match wins:
//   a UTF-16 byte-order mark, or a NUL byte in a text of even length: UTF-16;
//   7-bit text that holds ESC: ISO-2022-JP;  any other 7-bit text: unsure;
//   strictly valid UTF-8, unless every byte above 0x7F is in 0xA1-0xDF (it
//   then reads as half-width katakana): UTF-8;
//   valid Mac OS Japanese: Shift_JIS;  valid EUC-JP: EUC-JP;  else unsure.
// GuessJapaneseEncoding (text_encoding.h) answers the encoding of the verdict.

#include <string_view>

enum class JapaneseGuess { Unsure, UTF16, ISO2022JP, UTF8, ShiftJIS, EUCJP };

// One pass over `text`, no allocation.
JapaneseGuess GuessJapanese(std::string_view text);
