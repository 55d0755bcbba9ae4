#pragma once
// UTF-8, by hand: strict on input, one U+FFFD per maximal bad subpart.

#include "platform/code_point_codec.h"

class Utf8Codec : public CodePointCodec {
 public:
  void decode(std::string_view bytes, std::u32string& out) override;
  void encode(std::u32string_view text, std::string& out) override;
};
