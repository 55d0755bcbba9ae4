#include "platform/text_encoding.h"

#include "platform/code_point_codec.h"
#include "platform/mac_japanese/mac_japanese_codec.h"
#include "platform/pivot_converter.h"

namespace {

const char* InternetNameOf(TextEncoding::Kind kind) {
  switch (kind) {
    case TextEncoding::Kind::UTF8:
      return "UTF-8";
    case TextEncoding::Kind::UTF16:
      return "UTF-16";
    case TextEncoding::Kind::MacJapanese:
      return "x-mac-japanese";
    case TextEncoding::Kind::ShiftJIS:
      return "Shift_JIS";
    case TextEncoding::Kind::EUCJP:
      return "EUC-JP";
    case TextEncoding::Kind::ISO2022JP:
      return "ISO-2022-JP";
  }
  return "";
}

const TextEncoding* Fixed(TextEncoding::Kind kind) {
  static const TextEncoding encodings[] = {
      TextEncoding(TextEncoding::Kind::UTF8),        TextEncoding(TextEncoding::Kind::UTF16),
      TextEncoding(TextEncoding::Kind::MacJapanese), TextEncoding(TextEncoding::Kind::ShiftJIS),
      TextEncoding(TextEncoding::Kind::EUCJP),       TextEncoding(TextEncoding::Kind::ISO2022JP),
  };
  return &encodings[static_cast<int>(kind)];
}

// The hot pair of the row writer: no code-point pivot, no allocation once
// the caller's storage is large enough.
class MacJapaneseToUtf8Converter : public TextConverter {
 public:
  std::string convert(std::string_view text) override {
    std::string result;
    MacJapaneseCodec::AppendUtf8(text, result);
    return result;
  }
  void AppendConverted(std::string_view text, std::string& out) override {
    MacJapaneseCodec::AppendUtf8(text, out);
  }
  void Reset() override {}  // stateless
};

}  // namespace

TextEncoding::TextEncoding(Kind kind) : kind_(kind), internetName_(InternetNameOf(kind)) {}

const TextEncoding* Encodings::UTF8() { return Fixed(TextEncoding::Kind::UTF8); }
const TextEncoding* Encodings::UTF16() { return Fixed(TextEncoding::Kind::UTF16); }
const TextEncoding* Encodings::MacJapanese() { return Fixed(TextEncoding::Kind::MacJapanese); }
const TextEncoding* Encodings::ShiftJIS() { return Fixed(TextEncoding::Kind::ShiftJIS); }
const TextEncoding* Encodings::SystemDefault() { return UTF8(); }

bool StartsWithByteOrderMark(std::string_view text) {
  return text.size() >= 2 &&
         ((text[0] == '\xFE' && text[1] == '\xFF') || (text[0] == '\xFF' && text[1] == '\xFE'));
}

const TextEncoding* GetTextEncoding(std::int32_t base, std::int32_t, std::int32_t) {
  if (base == 0x0920) return Fixed(TextEncoding::Kind::EUCJP);
  if (base == 0x0820) return Fixed(TextEncoding::Kind::ISO2022JP);
  return nullptr;
}

std::unique_ptr<TextConverter> GetTextConverter(const TextEncoding* source,
                                                const TextEncoding* target) {
  if (source == nullptr || target == nullptr) return nullptr;
  if (source->kind() == TextEncoding::Kind::MacJapanese &&
      target->kind() == TextEncoding::Kind::UTF8) {
    return std::make_unique<MacJapaneseToUtf8Converter>();
  }
  auto decoder = MakeCodePointCodec(source->kind());
  auto encoder = MakeCodePointCodec(target->kind());
  if (decoder == nullptr || encoder == nullptr) return nullptr;
  return std::make_unique<PivotConverter>(std::move(decoder), std::move(encoder));
}

void TextConverter::AppendConverted(std::string_view text, std::string& out) {
  out += convert(text);
}

std::string DefineEncoding(std::string text, const TextEncoding*) { return text; }
