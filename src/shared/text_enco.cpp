#include "shared/text_enco.h"

#include <array>
#include <string_view>

#include "platform/japanese_guess.h"

std::unique_ptr<TextConverter> gTc_SJISUTF8;
std::unique_ptr<TextConverter> gTc_UTF16UTF8;
std::unique_ptr<TextConverter> gTc_UTF8SJIS;
std::unique_ptr<TextConverter> gTc_UTF16SJIS;
std::unique_ptr<TextConverter> gTc_UTF8UTF16;
std::unique_ptr<TextConverter> gTc_EUCUTF8;
std::unique_ptr<TextConverter> gTc_JISUTF8;

namespace {

constexpr std::string_view kDefault = "デフォルト";

// The encoding of a name; any name outside the list means the system default.
const TextEncoding* EncodingNamed(std::string_view name) {
  if (name == kDefault) return Encodings::SystemDefault();
  if (name == "Shift-JIS") return Encodings::MacJapanese();  // not the plain Shift_JIS
  if (name == "UTF-8") return Encodings::UTF8();
  if (name == "UTF-16") return Encodings::UTF16();
  if (name == "JIS") return GetTextEncoding(0x0820, 0, 0);
  if (name == "EUC") return GetTextEncoding(0x0920, 0, 0);
  return Encodings::SystemDefault();
}

// The seven cached pairs, in the order gEncText tests them and gEncInit
// builds them.
struct CachedPair {
  std::string_view source;
  std::string_view target;
  std::unique_ptr<TextConverter>* converter;
};
const std::array<CachedPair, 7> kCachedPairs = {{
    {"Shift-JIS", "UTF-8", &gTc_SJISUTF8},
    {"UTF-16", "UTF-8", &gTc_UTF16UTF8},
    {"UTF-8", "Shift-JIS", &gTc_UTF8SJIS},
    {"UTF-16", "Shift-JIS", &gTc_UTF16SJIS},
    {"UTF-8", "UTF-16", &gTc_UTF8UTF16},
    {"EUC", "UTF-8", &gTc_EUCUTF8},
    {"JIS", "UTF-8", &gTc_JISUTF8},
}};

// The encoding name that the guess gives for `text`.
std::string GuessedName(const std::string& text) {
  const TextEncoding* guess = GuessJapaneseEncoding(text);
  if (guess == nullptr) return std::string(kDefault);
  const std::string& name = guess->internetName();
  if (name == "Shift_JIS") return "Shift-JIS";
  if (name == "UTF-16" || name == "UNICODE-2-0") return "UTF-16";
  if (name == "UTF-8") return "UTF-8";
  return std::string(kDefault);
}

}  // namespace

std::string gEncText(const std::string& text, const std::string& sourceName,
                     const std::string& targetName) {
  std::string detected;
  const std::string& source = sourceName == "Auto" ? (detected = gEncTextGetEnc(text)) : sourceName;
  for (const CachedPair& pair : kCachedPairs) {
    if (source != pair.source || targetName != pair.target) continue;
    TextConverter* converter = pair.converter->get();
    if (converter == nullptr) break;
    // A cached converter starts each text afresh: no shift state or cut-off
    // character of the previous text may leak into this one.
    converter->Reset();
    return converter->convert(text);
  }
  return gEncTextEtc(text, source, targetName);
}

std::string gEncTextEtc(const std::string& text, const std::string& sourceName,
                        const std::string& targetName) {
  const TextEncoding* source = EncodingNamed(sourceName);
  const TextEncoding* target = EncodingNamed(targetName);
  if (source == nullptr || target == nullptr) return text;
  if (source->internetName() == target->internetName()) return text;
  std::unique_ptr<TextConverter> converter = GetTextConverter(source, target);
  if (converter == nullptr) return text;
  return converter->convert(text);
}

std::string gEncSJIS(const std::string& text) {
  const std::string source = gEncSJISSource(text);
  return source == "Shift-JIS" ? text : gEncText(text, source, "Shift-JIS");
}

std::string gEncSJISSource(const std::string& text) {
  const std::string name = GuessedName(text);
  return name == "UTF-16" || name == "UTF-8" ? name : "Shift-JIS";
}

std::string gEncTextGetEnc(const std::string& text) { return GuessedName(text); }

void gEncInit() {
  for (const CachedPair& pair : kCachedPairs) {
    *pair.converter = GetTextConverter(EncodingNamed(pair.source), EncodingNamed(pair.target));
  }
}

// The order is the one the program has always released them in.
void gEncRelease() {
  for (auto* converter : {&gTc_SJISUTF8, &gTc_UTF8SJIS, &gTc_UTF8UTF16, &gTc_UTF16UTF8,
                          &gTc_EUCUTF8, &gTc_JISUTF8, &gTc_UTF16SJIS}) {
    converter->reset();
  }
}
