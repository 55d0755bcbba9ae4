#pragma once
// One encoding read as Unicode code points and written back. The converters
// pivot through code points: the source's codec decodes, the target's encodes.

#include <memory>
#include <string>
#include <string_view>

#include "platform/text_encoding.h"

class CodePointCodec {
 public:
  virtual ~CodePointCodec() = default;
  // Appends the code points of `bytes`, a whole text; bytes that are not
  // valid in the encoding become U+FFFD.
  virtual void decode(std::string_view bytes, std::u32string& out) = 0;
  // Appends the bytes of `text`, a whole text of Unicode scalar values; a
  // character the encoding cannot hold becomes "?".
  virtual void encode(std::u32string_view text, std::string& out) = 0;
  // Forgets any state carried from an earlier text.
  virtual void reset() {}
};

// The codec of an encoding; nullptr when ICU cannot open its converter.
std::unique_ptr<CodePointCodec> MakeCodePointCodec(TextEncoding::Kind kind);
