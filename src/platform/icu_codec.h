#pragma once
// An encoding read and written through ICU's converters (Shift_JIS, EUC-JP,
// ISO-2022-JP, UTF-16).

#include <memory>
#include <string>

#include "platform/code_point_codec.h"

struct UConverter;

class IcuCodec : public CodePointCodec {
 public:
  // Opens ICU's converters by name, one for reading and one for writing
  // (UTF-16 reads a byte-order mark but writes none); nullptr when ICU knows
  // neither name or cannot set them up.
  static std::unique_ptr<IcuCodec> Open(const char* decodeName, const char* encodeName);
  ~IcuCodec() override;
  IcuCodec(const IcuCodec&) = delete;
  IcuCodec& operator=(const IcuCodec&) = delete;

  void decode(std::string_view bytes, std::u32string& out) override;
  void encode(std::u32string_view text, std::string& out) override;
  void reset() override;

 private:
  IcuCodec(UConverter* decoder, UConverter* encoder) : decoder_(decoder), encoder_(encoder) {}

  UConverter* decoder_;
  UConverter* encoder_;
  std::u16string units_;  // reused between texts
};
