#pragma once
// Which Japanese encoding a short text is in.

#include <string_view>

#include "platform/text_encoding.h"

// The Japanese-encoding guess for short texts; rules, first match wins:
//   a UTF-16 byte-order mark, or a NUL byte in a text of even length: UTF-16;
//   7-bit text that holds ESC: ISO-2022-JP;  any other 7-bit text: unsure;
//   strictly valid UTF-8, unless every byte above 0x7F is in 0xA1-0xDF (it
//   then reads as half-width katakana): UTF-8;
//   valid Mac OS Japanese: Shift_JIS;  valid EUC-JP: EUC-JP;  else unsure.
// nullptr when unsure.
const TextEncoding* GuessJapaneseEncoding(std::string_view text);
