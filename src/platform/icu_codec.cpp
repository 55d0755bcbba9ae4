#include "platform/icu_codec.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/utf16.h>

#include <algorithm>

namespace {

// Every byte sequence ICU cannot read becomes one U+FFFD (ICU's own default
// writes U+001A for some single bytes).
void U_CALLCONV WriteReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                                 UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close or clone: nothing to write
  *error = U_ZERO_ERROR;
  static const UChar kReplacement = 0xFFFD;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, error);
}

UConverter* OpenDecoder(const char* name) {
  UErrorCode error = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(name, &error);
  if (U_FAILURE(error)) return nullptr;
  ucnv_setToUCallBack(converter, WriteReplacement, nullptr, nullptr, nullptr, &error);
  if (U_FAILURE(error)) {
    ucnv_close(converter);
    return nullptr;
  }
  return converter;
}

UConverter* OpenEncoder(const char* name) {
  UErrorCode error = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(name, &error);
  if (U_FAILURE(error)) return nullptr;
  // A string, not bytes, so that ISO-2022-JP shifts back to ASCII for it.
  static const UChar kQuestionMark[] = {u'?'};
  ucnv_setSubstString(converter, kQuestionMark, 1, &error);
  if (U_FAILURE(error)) {
    ucnv_close(converter);
    return nullptr;
  }
  return converter;
}

void AppendCodePoints(std::u16string_view units, std::u32string& out) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t unit = units[i];
    if (U16_IS_LEAD(unit) && i + 1 < units.size() && U16_IS_TRAIL(units[i + 1])) {
      out.push_back(U16_GET_SUPPLEMENTARY(unit, units[i + 1]));
      ++i;
    } else {
      out.push_back(U16_IS_SURROGATE(unit) ? U'\uFFFD' : unit);
    }
  }
}

void SetUnits(std::u32string_view text, std::u16string& units) {
  units.clear();
  for (char32_t codePoint : text) {
    if (codePoint > 0x10FFFF || U_IS_SURROGATE(codePoint)) codePoint = 0xFFFD;
    if (codePoint > 0xFFFF) {
      units.push_back(static_cast<char16_t>(U16_LEAD(codePoint)));
      units.push_back(static_cast<char16_t>(U16_TRAIL(codePoint)));
    } else {
      units.push_back(static_cast<char16_t>(codePoint));
    }
  }
}

}  // namespace

std::unique_ptr<IcuCodec> IcuCodec::Open(const char* decodeName, const char* encodeName) {
  UConverter* decoder = OpenDecoder(decodeName);
  UConverter* encoder = OpenEncoder(encodeName);
  if (decoder == nullptr || encoder == nullptr) {
    if (decoder != nullptr) ucnv_close(decoder);
    if (encoder != nullptr) ucnv_close(encoder);
    return nullptr;
  }
  return std::unique_ptr<IcuCodec>(new IcuCodec(decoder, encoder));
}

IcuCodec::~IcuCodec() {
  ucnv_close(decoder_);
  ucnv_close(encoder_);
}

void IcuCodec::reset() {
  ucnv_reset(decoder_);
  ucnv_reset(encoder_);
}

// Each text is converted whole (flushed), so a text cut short inside a
// character ends in U+FFFD and no state passes to the next text.
void IcuCodec::decode(std::string_view bytes, std::u32string& out) {
  units_.resize(std::max<std::size_t>(bytes.size() + 8, 64));
  const char* source = bytes.data();
  std::size_t used = 0;
  for (;;) {
    UChar* target = reinterpret_cast<UChar*>(units_.data()) + used;
    UChar* targetEnd = reinterpret_cast<UChar*>(units_.data()) + units_.size();
    UErrorCode error = U_ZERO_ERROR;
    ucnv_toUnicode(decoder_, &target, targetEnd, &source, bytes.data() + bytes.size(), nullptr,
                   true, &error);
    used = static_cast<std::size_t>(target - reinterpret_cast<UChar*>(units_.data()));
    if (error == U_BUFFER_OVERFLOW_ERROR) {
      units_.resize(units_.size() * 2);
      continue;
    }
    if (U_FAILURE(error)) {  // not expected with our callback; the rest reads as one U+FFFD
      units_[used++] = u'\uFFFD';
      ucnv_resetToUnicode(decoder_);
    }
    break;
  }
  AppendCodePoints(std::u16string_view(units_.data(), used), out);
}

void IcuCodec::encode(std::u32string_view text, std::string& out) {
  SetUnits(text, units_);
  const std::size_t start = out.size();
  out.resize(start + std::max<std::size_t>(units_.size() * 2 + 8, 64));
  const UChar* source = reinterpret_cast<const UChar*>(units_.data());
  const UChar* sourceEnd = source + units_.size();
  std::size_t used = start;
  for (;;) {
    char* target = out.data() + used;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_fromUnicode(encoder_, &target, out.data() + out.size(), &source, sourceEnd, nullptr, true,
                     &error);
    used = static_cast<std::size_t>(target - out.data());
    if (error == U_BUFFER_OVERFLOW_ERROR) {
      out.resize(out.size() * 2);
      continue;
    }
    if (U_FAILURE(error)) {  // not expected: substitution covers every character
      out.resize(used);
      out.push_back('?');
      used = out.size();
      ucnv_resetFromUnicode(encoder_);
    }
    break;
  }
  out.resize(used);
}
