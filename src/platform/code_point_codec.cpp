#include "platform/code_point_codec.h"

#include "platform/icu_codec.h"
#include "platform/mac_japanese/mac_japanese_codec.h"
#include "platform/utf8_codec.h"

std::unique_ptr<CodePointCodec> MakeCodePointCodec(TextEncoding::Kind kind) {
  switch (kind) {
    case TextEncoding::Kind::UTF8:
      return std::make_unique<Utf8Codec>();
    case TextEncoding::Kind::MacJapanese:
      return std::make_unique<MacJapaneseCodec>();
    case TextEncoding::Kind::UTF16:
      return IcuCodec::Open("UTF-16", "UTF-16BE");  // reads either byte order mark, else big-endian
    case TextEncoding::Kind::ShiftJIS:
      return IcuCodec::Open("Shift_JIS", "Shift_JIS");
    case TextEncoding::Kind::EUCJP:
      return IcuCodec::Open("EUC-JP", "EUC-JP");
    case TextEncoding::Kind::ISO2022JP:
      return IcuCodec::Open("ISO-2022-JP", "ISO-2022-JP");
  }
  return nullptr;
}
